# The lint finds what it bans: a tree with one line of each kind fails it
# with each rule named, and a sleep that waits on a condition passes.
set(root "${BINARY_DIR}/lint_cases")
file(REMOVE_RECURSE "${root}")
file(WRITE "${root}/tests/a_test.cpp"
     "void A() {\n  std::this_thread::sleep_for(10ms);\n  while (!done)\n    QThread::msleep(20);\n}\n")
file(WRITE "${root}/src/x/b.cpp"
     "void B() {\n  if (std::filesystem::is_regular_file(path, error)) {\n    std::ifstream in(path, std::ios::binary);\n  }\n  const auto s = url.find(\"://\");\n  if (x == \"mailto:\") {}\n}\n")
file(GLOB_RECURSE files "${root}/*.cpp")
execute_process(COMMAND ${CMAKE_COMMAND} "-DFILES=${files}" "-DROOT=${root}"
                        -P "${CMAKE_CURRENT_LIST_DIR}/check_sources.cmake"
                RESULT_VARIABLE result ERROR_VARIABLE found)
if(result EQUAL 0)
  message(FATAL_ERROR "the lint passed a tree that breaks its rules")
endif()
foreach(expected "tests/a_test.cpp:2: sleep" "src/x/b.cpp:3: check-then-open"
                 "src/x/b.cpp:5: url-parts" "src/x/b.cpp:6: mailto")
  string(FIND "${found}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the lint did not report ${expected}:\n${found}")
  endif()
endforeach()
string(FIND "${found}" "a_test.cpp:4" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the lint reported a sleep that waits on a condition:\n${found}")
endif()
