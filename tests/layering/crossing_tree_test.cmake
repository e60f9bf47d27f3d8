# Runs both layer checks on crossing_tree/, a small tree of wrong includes, and
# fails unless each check fails and names every wrong include.
set(tree ${CMAKE_CURRENT_LIST_DIR}/crossing_tree)

function(expect_refusal check)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -DLINKS_FILE=${tree}/links.cmake
                          -P ${CMAKE_CURRENT_LIST_DIR}/${check}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(result EQUAL 0)
    message(FATAL_ERROR "${check} accepted the wrong includes of crossing_tree/")
  endif()
  foreach(expected IN LISTS ARGN)
    string(FIND "${output}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${check} did not report \"${expected}\":\n${output}")
    endif()
  endforeach()
endfunction()

expect_refusal(check_layers.cmake
  "src/common/reads_crawl.h (common) includes crawl/crawl_session.h (crawl)"
  "src/platform/uses_engine.h (platform) includes crawl/crawl_session.h (crawl)"
  "src/gadgets/unknown_folder.h lies in a folder that has no row"
  "the targets of src/platform link crawl, which its row does not allow"
  "src/widgets/unlinked.h includes common/path_text.h, but no target of src/widgets links it"
  "5 offences against the layers")
expect_refusal(check_engine_includes.cmake "src/crawl/uses_qt.h: #include <QString>")
