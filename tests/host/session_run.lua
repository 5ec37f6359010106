-- ardour7-lua session_run.lua DIR NAME MODE RESULT WATCHED
-- The parameters listed in WATCHED (comma separated indices) are put in automation Write
-- mode, so that Ardour records what the plug-in sends with audioMasterAutomate.
--   MODE roll  : play the session range in real time on the Dummy backend, then stop.
--   MODE bounce: render track T through its plug-in into new files, offline. Ardour is
--                stopped then, so it keeps one automation point: the last value sent.
-- Writes TAB separated lines to RESULT:
--   rendered FILE                    (bounce) one per rendered file
--   automation INDEX EVENTS LAST PREVIOUS   events Ardour recorded for the parameter, the
--                                    last value and the one before it, or "-"
--   done                             everything before it was read without fault
local dir, name, mode, result, watched = arg[1], arg[2], arg[3], arg[4], arg[5] or ""
assert(dir and name and (mode == "roll" or mode == "bounce") and result,
       "usage: session_run.lua DIR NAME roll|bounce RESULT WATCHED")

-- The shared report, beside this script.
dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "report.lua")
local report = Report(result, "RUN")
local emit, fail, wait_for = report.emit, report.fail, report.wait_for

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if mode == "roll" then backend:set_driver("Normal Speed") end
if not load_session(dir, name) then fail("load_session failed") end

local route = Session:route_by_name("T")
if route:isnil() then fail("no track T") end
local track = route:to_track()
local proc = track:nth_plugin(0)
if proc:isnil() then fail("the plug-in did not load with the session") end
local range = Session:locations():session_range_location()
local frames = range:_end():samples() - range:start():samples()

-- Only the watched parameters are written; the others keep their session values.
ARDOUR.config():set_automation_thinning_factor(0)
local indices = {}
for index in string.gmatch(watched, "%d+") do
  local i = tonumber(index)
  local control = proc:to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, i), false)
  if control:isnil() then fail("no automation control for parameter " .. i) end
  control:set_automation_state(ARDOUR.AutoState.Write)
  indices[#indices + 1] = i
end

if mode == "roll" then
  Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop,
                         ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_sample() == 0 end, 5, "no locate to the start")
  Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_sample() >= frames end, 10 + frames / Session:nominal_sample_rate(),
           "the transport did not reach the end of the range")
  Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_stopped() end, 5, "the transport did not stop")
  -- Back to the start, as Ardour's auto-return does: the locate deactivates
  -- and reactivates the plug-in, which sends its final readings.
  Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop,
                         ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_sample() == 0 end, 5, "no locate back to the start")
  ARDOUR.LuaAPI.usleep(300000)
else
  -- With the engine stopped nothing but the bounce runs the plug-in, so what it
  -- sent last is what it sent for the end of the range.
  AudioEngine:stop(false)
  local region = track:bounce_range(0, frames, ARDOUR.InterThreadInfo(), track:main_outs(), false, "bounced")
  if region:isnil() then fail("bounce_range failed") end
  for c = 0, region:to_audioregion():n_channels() - 1 do
    emit("rendered", region:source(c):to_filesource():path())
  end
end

for _, i in ipairs(indices) do
  local _, list = ARDOUR.LuaAPI.plugin_automation(proc, i)
  local events, last, previous = 0, nil, nil
  for event in list:events():iter() do
    events = events + 1
    previous = last
    last = event
  end
  local function value(event) return event and string.format("%.9g", event.value) or "-" end
  emit("automation", i, events, value(last), value(previous))
end
emit("done")
report.close()
close_session()
