-- ardour7-lua session_recall.lua DIR NAME MODE RESULT
-- The plug-in's state loaded by Ardour, and what Ardour then holds of its parameters.
--   MODE load  : sets "Type" RMS and "RMS RefLevel" -20 dBFS through Ardour, saves them as an
--                Ardour preset (the plug-in's state chunk), sets them back, loads the preset
--                (effSetChunk), and saves the session.
--   MODE reopen: loads the saved session (chunk and parameter values restored by Ardour).
-- Writes TAB separated lines to RESULT:
--   param INDEX ARDOUR PLUGIN    Ardour's copy of the parameter and the plug-in's own value
--   done                         everything before it was read without fault
local dir, name, mode, result = arg[1], arg[2], arg[3], arg[4]
assert(dir and name and (mode == "load" or mode == "reopen") and result,
       "usage: session_recall.lua DIR NAME load|reopen RESULT")

-- The shared report, beside this script.
dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "report.lua")
local report = Report(result, "RECALL")
local emit, fail = report.emit, report.fail

AudioEngine:set_backend("None (Dummy)", "", "")
if not load_session(dir, name) then fail("load_session failed") end
local route = Session:route_by_name("T")
if route:isnil() then fail("no track T") end
local proc = route:to_track():nth_plugin(0)
if proc:isnil() then fail("the plug-in did not load with the session") end
local plugin = proc:to_insert():plugin(0)

local function control(i)
  return proc:to_automatable():automation_control(Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, i),
                                                 false)
end
local function set(i, value)
  if not ARDOUR.LuaAPI.set_processor_param(proc, i, value) then fail("cannot set parameter " .. i) end
end

-- "Type" is parameter 2 (0 RMS, 0.5 EBU), "RMS RefLevel" parameter 7 (-120 ... 120 dBFS).
if mode == "load" then
  set(2, 0.0)
  set(7, 100 / 240)
  local preset = plugin:save_preset("recall")
  if not preset or preset.uri == "" then fail("Ardour saved no preset") end
  set(2, 0.5)
  set(7, 102 / 240)
  ARDOUR.LuaAPI.usleep(100000)
  if not plugin:load_preset(plugin:preset_by_label("recall")) then fail("Ardour did not load the preset") end
  ARDOUR.LuaAPI.usleep(100000)
  Session:save_state("")
end

for _, i in ipairs({2, 7, 8, 20}) do
  local own = ARDOUR.LuaAPI.get_plugin_insert_param(proc:to_insert(), i, false)
  emit("param", i, string.format("%.6f", control(i):get_value()), string.format("%.6f", own))
end
emit("done")
report.close()
close_session()
