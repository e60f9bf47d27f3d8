# Fails when a translation is unfinished: an entry of TS marked unfinished or
# left empty, or a text of the windows (tr(), translate, QT_TRANSLATE_NOOP in
# the folders SOURCES, a ;-list) that has no entry. lupdate writes what TS
# would become into a copy, which is then read.
string(REPLACE "," ";" SOURCES "${SOURCES}")
get_filename_component(name ${TS} NAME)
set(copy ${WORK_DIR}/${name})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY_FILE ${TS} ${copy})
execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none ${INCLUDES} ${SOURCES}
                        -ts ${copy}
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lupdate failed:\n${errors}")
endif()
file(READ ${copy} ts)
# No ";" is left to split the list below.
string(REPLACE "&quot;" "\"" ts "${ts}")
string(REPLACE "&apos;" "'" ts "${ts}")
string(REPLACE "&amp;" "&" ts "${ts}")
string(REPLACE ";" "," ts "${ts}")
string(REGEX MATCHALL "<source>[^<]*</source>[ \n\t]*(<comment>[^<]*</comment>[ \n\t]*)?<translation( type=\"unfinished\"[^>]*>[^<]*|>)</translation>" unfinished "${ts}")
string(REGEX MATCHALL "<translation type=\"unfinished\"" marked "${ts}")
list(LENGTH marked count)
if(count GREATER 0 OR unfinished)
  list(TRANSFORM unfinished REPLACE "^<source>([^<]*)</source>.*" "  \\1")
  list(JOIN unfinished "\n" lines)
  message(FATAL_ERROR "${name}: ${count} unfinished entries; translate them in ${TS} "
                      "(cmake --build <build> --target harvel_desktop_lupdate adds new texts):\n${lines}")
endif()
