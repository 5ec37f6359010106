-- What the Ardour session scripts share, loaded with dofile:
--   report = Report(RESULT, TAG)   opens the TAB separated result file (none
--                                  when RESULT is nil)
--   report.emit(FIELD, ...)        writes one line of it at once
--   report.fail(WHY)               writes "error WHY", prints "TAG-ERROR WHY" and
--                                  ends Ardour with status 2
--   report.wait_for(CONDITION, SECONDS, WHAT)  polls CONDITION every
--                                  millisecond; fails with WHAT when it is still
--                                  false after SECONDS
function Report(result, tag)
  local report = {}
  local out = result and assert(io.open(result, "w"))
  function report.emit(...)
    out:write(table.concat({...}, "\t") .. "\n")
    out:flush()
  end
  function report.fail(why)
    if out then report.emit("error", why) end
    print(tag .. "-ERROR " .. why)
    os.exit(2)
  end
  function report.wait_for(condition, seconds, what)
    local deadline = ARDOUR.LuaAPI.monotonic_time() + seconds * 1e6
    while not condition() do
      if ARDOUR.LuaAPI.monotonic_time() > deadline then report.fail(what) end
      ARDOUR.LuaAPI.usleep(1000)
    end
  end
  function report.close()
    if out then out:close() end
  end
  return report
end
