# kalvo5_warnings(target): the project's warning set, errors in CI.
function(kalvo5_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wconversion -Wnon-virtual-dtor
    -Wold-style-cast -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion)
  if(KALVO5_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
