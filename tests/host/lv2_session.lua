-- ardour7-lua lv2_session.lua setup DIR NAME URI RATE RESULT
-- ardour7-lua lv2_session.lua run   DIR NAME RESULT PRESET_NAME
-- The LV2 plug-in URI on a stereo audio track "T" of an Ardour session, driven
-- through Ardour's own Lua API. Parameter indices are the plug-in's parameter
-- order: Ardour counts the control ports, inputs and outputs alike, from 0.
--   setup: makes the session with the plug-in, lists the presets Ardour offers
--          for it, loads the factory preset "LUFS EBU R128" (Type EBU), sets
--          "EBU RefLevel" to -31 and saves the session.
--   run  : reopens the saved session, reads back Type and EBU RefLevel, saves
--          the reopened plug-in's state as a user preset PRESET_NAME, then plays
--          the session range in real time on the Dummy backend while reading
--          the plug-in's output ports, stops and locates back to the start.
-- Writes TAB separated lines to RESULT:
--   preset LABEL URI            (setup) one per preset Ardour lists
--   param WHEN INDEX VALUE      Ardour's value of an input parameter
--   saved PATH                  (run) the file of the user preset
--   reading INDEX VALUE...      (run) an output's values as read while rolling
--   stopped INDEX VALUE         (run) an output's value after the stop and locate
--   done                        everything before it was done without fault
local mode = arg[1]
local kType, kEBURefLevel, kEBUIL, kEBUML = 2, 20, 22, 23

-- The shared report, beside this script.
dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "report.lua")
local report = Report(mode == "setup" and arg[6] or arg[4], "LV2-SESSION")
local emit, fail, wait_for = report.emit, report.fail, report.wait_for
local function param(proc, i)
  local value = ARDOUR.LuaAPI.get_processor_param(proc, i, true)
  return value
end
local function set(proc, i, value)
  if not ARDOUR.LuaAPI.set_processor_param(proc, i, value) then fail("cannot set parameter " .. i) end
end

if mode == "setup" then
  local dir, name, uri, rate, result = arg[2], arg[3], arg[4], tonumber(arg[5]), arg[6]
  assert(dir and name and uri and rate and result, "usage: lv2_session.lua setup DIR NAME URI RATE RESULT")
  AudioEngine:set_backend("None (Dummy)", "", "")
  if not create_session(dir, name, rate) then fail("create_session failed") end
  local tracks = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                         ARDOUR.TrackMode.Normal, true)
  if tracks:size() ~= 1 then fail("no track") end
  local proc = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
  if proc:isnil() then fail("Ardour does not know the LV2 plug-in " .. uri .. " (LV2_PATH)") end
  if tracks:front():add_processor_by_index(proc, 0, nil, true) ~= 0 then fail("the track refused the plug-in") end
  local plugin = proc:to_insert():plugin(0)

  for preset in plugin:get_info():get_presets(false):iter() do emit("preset", preset.label, preset.uri) end
  local factory = plugin:preset_by_label("LUFS EBU R128")
  if not factory or not plugin:load_preset(factory) then fail("Ardour did not load the preset LUFS EBU R128") end
  ARDOUR.LuaAPI.usleep(100000)
  emit("param", "preset", kType, param(proc, kType))
  set(proc, kEBURefLevel, -31)
  Session:save_state("")
  emit("done")
  report.close()
  close_session()
elseif mode == "run" then
  local dir, name, result, preset_name = arg[2], arg[3], arg[4], arg[5]
  assert(dir and name and result and preset_name, "usage: lv2_session.lua run DIR NAME RESULT PRESET_NAME")
  AudioEngine:set_backend("None (Dummy)", "", ""):set_driver("Normal Speed")
  if not load_session(dir, name) then fail("load_session failed") end
  local route = Session:route_by_name("T")
  if route:isnil() then fail("no track T") end
  local track = route:to_track()
  local proc = track:nth_plugin(0)
  if proc:isnil() then fail("the plug-in did not load with the session") end
  local plugin = proc:to_insert():plugin(0)

  emit("param", "reopened", kType, param(proc, kType))
  emit("param", "reopened", kEBURefLevel, param(proc, kEBURefLevel))
  -- The preset holds the state document the reopened plug-in writes itself.
  local saved = plugin:save_preset(preset_name)
  if not saved or saved.uri == "" then fail("Ardour saved no preset") end
  emit("saved", saved.uri)

  local range = Session:locations():session_range_location()
  local frames = range:_end():samples() - range:start():samples()
  Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop,
                         ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_sample() == 0 end, 5, "no locate to the start")
  Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  -- The outputs as the plug-in writes them, every 20 ms until the range ends.
  local il, ml = {}, {}
  local deadline = ARDOUR.LuaAPI.monotonic_time() + (10 + frames / Session:nominal_sample_rate()) * 1e6
  while Session:transport_sample() < frames do
    if ARDOUR.LuaAPI.monotonic_time() > deadline then fail("the transport did not reach the end of the range") end
    il[#il + 1] = string.format("%.2f", param(proc, kEBUIL))
    ml[#ml + 1] = string.format("%.2f", param(proc, kEBUML))
    ARDOUR.LuaAPI.usleep(20000)
  end
  emit("reading", kEBUIL, table.unpack(il))
  emit("reading", kEBUML, table.unpack(ml))
  Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_stopped() end, 5, "the transport did not stop")
  Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop,
                         ARDOUR.TransportRequestSource.TRS_UI)
  wait_for(function() return Session:transport_sample() == 0 end, 5, "no locate back to the start")
  ARDOUR.LuaAPI.usleep(300000)
  emit("stopped", kEBUIL, string.format("%.2f", param(proc, kEBUIL)))
  emit("done")
  report.close()
  close_session()
else
  error("usage: lv2_session.lua setup|run ...")
end
