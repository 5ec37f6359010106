# Applies KALVO5_SANITIZE to everything built after this point. Any error
# stops the program, so a sanitizer report always fails the test run.
if(KALVO5_SANITIZE)
  add_compile_options(-fsanitize=${KALVO5_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
  add_link_options(-fsanitize=${KALVO5_SANITIZE})
  # The checks debug builds make (a snapshot channel's single writer) run
  # in the sanitizer builds too, which are optimised.
  add_compile_definitions(KALVO5_CHECKED_BUILD)
endif()
