-- ardour7-lua session_setup.lua DIR NAME PLUGIN RATE RESULT [INDEX=NORMALIZED ...]
-- Makes a session with one stereo audio track "T" holding the Linux VST 2
-- plug-in named PLUGIN, sets the given parameters (normalized 0..1), saves it,
-- and writes to RESULT one line per parameter: "name<TAB>index<TAB>name Ardour shows".
local dir, name, plugin, rate, result = arg[1], arg[2], arg[3], tonumber(arg[4]), arg[5]
assert(dir and name and plugin and rate and result, "usage: session_setup.lua DIR NAME PLUGIN RATE RESULT [i=v ...]")

-- The shared report, beside this script.
dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "report.lua")
local fail = Report(nil, "SETUP").fail

AudioEngine:set_backend("None (Dummy)", "", "")
if not create_session(dir, name, rate) then fail("create_session failed") end

local tracks = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
if tracks:size() ~= 1 then fail("no track") end
local track = tracks:front()
local proc = ARDOUR.LuaAPI.new_plugin(Session, plugin, ARDOUR.PluginType.LXVST, "")
if proc:isnil() then fail("Ardour does not know the plug-in " .. plugin .. " (scan, LXVST_PATH)") end
if track:add_processor_by_index(proc, 0, nil, true) ~= 0 then fail("the track refused the plug-in") end

local p = proc:to_insert():plugin(0)
for i = 6, #arg do
  local index, value = string.match(arg[i], "^(%d+)=([%d.]+)$")
  if not index or not ARDOUR.LuaAPI.set_processor_param(proc, tonumber(index), tonumber(value)) then
    fail("cannot set " .. arg[i])
  end
end

local out = assert(io.open(result, "w"))
for i = 0, p:parameter_count() - 1 do out:write(string.format("name\t%d\t%s\n", i, p:parameter_label(i))) end
out:close()
Session:save_state("")
print("SETUP-OK")
close_session()
