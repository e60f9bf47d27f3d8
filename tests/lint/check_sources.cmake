# The project's own lint, run as the test lint.project_rules: what the compiler
# and clang-format cannot see. Each rule names what it bans and where the one
# allowed place is; a line that must break a rule on purpose is listed in
# allowed.txt with its reason. Run:
#   cmake -DSOURCE_DIR=<repository> -P tests/lint/check_sources.cmake
# A second form, -DFILES=<list of files> -DROOT=<folder>, checks given files
# (the lint's own test uses it).

# rule(NAME WHERE BANNED EXEMPT WHY): files whose path (relative to the
# repository) matches WHERE must hold no line matching BANNED (comments
# aside), unless their path matches EXEMPT (the one allowed place).
# Semicolons and square brackets in lines are read as <s>, <o> and <c>.
cmake_policy(SET CMP0007 NEW)
set(rules)
function(rule name where banned exempt why)
  set(rules ${rules} ${name} PARENT_SCOPE)
  set(rule_${name}_where "${where}" PARENT_SCOPE)
  set(rule_${name}_banned "${banned}" PARENT_SCOPE)
  set(rule_${name}_exempt "${exempt}" PARENT_SCOPE)
  set(rule_${name}_why "${why}" PARENT_SCOPE)
endfunction()

rule(sleep "^tests/" "(sleep_for|msleep|usleep|QThread::sleep|[^_a-z]sleep)[ ]*\\(" ""
     "a test waits for an event (a notice, a file, a process that ended, a server that answered), not for a time: wait in a loop on the condition, or list a sleep that is the behaviour under test in tests/lint/allowed.txt")
rule(trimming "^src/" "string_view Trimmed\\(" "^src/common/ascii_text"
     "trimming is Trimmed() of common/ascii_text.h")
rule(ascii-case "^src/" "std::tolower|std::toupper|strn?casecmp|- 'A' \\+ 'a'|- 'a' \\+ 'A'"
     "^src/common/ascii_text" "ASCII case is AsciiLower/AsciiUpper/EqualsIgnoringAsciiCase of common/ascii_text.h")
rule(utf8 "^src/" "0[xX][cC]0\\) [!=]= 0x80" "^src/common/utf8_text"
     "UTF-8 is decoded by DecodeUtf8 of common/utf8_text.h")
rule(url-parts "^src/" "find\\(\"://\"" "^src/common/url_parts"
     "a URL's scheme and authority come from common/url_parts.h")
rule(picture-endings "^src/" "\"\\.?(gif|jpe?g|png|webp)\".*\"\\.?(gif|jpe?g|png|webp)\""
     "^src/common/picture_format" "picture name endings are kPictureEndings of common/picture_format.h")
rule(picture-signatures "^src/" "\"GIF8|x89PNG" "^src/common/picture_format"
     "picture signatures are PictureFormatOfSignature of common/picture_format.h")
rule(mailto "^src/" "\"mailto:\"" "^src/crawl/mail_address_file\\.h$"
     "\"mailto:\" is kMailto of crawl/mail_address_file.h")
rule(peak-memory "^(tests|bench)/" "VmHWM|clear_refs" "^tests/support/peak_memory"
     "a test's peak memory is PeakMemory/ResetPeakMemory of tests/support/peak_memory.h")

function(read_lines path out)
  file(READ "${path}" content)
  string(REPLACE ";" "<s>" content "${content}")
  string(REPLACE "[" "<o>" content "${content}")
  string(REPLACE "]" "<c>" content "${content}")
  string(REPLACE "\n" ";" content "${content}")
  set(${out} "${content}" PARENT_SCOPE)
endfunction()

# allowed.txt: "rule|path|a piece of the line|why", one a line; # starts a comment.
set(allowed)
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/allowed.txt" AND NOT DEFINED FILES)
  read_lines("${CMAKE_CURRENT_LIST_DIR}/allowed.txt" allowedLines)
  foreach(entry IN LISTS allowedLines)
    if(entry MATCHES "^([a-z0-9-]+)\\|([^|]+)\\|([^|]+)\\|(.+)$")
      list(APPEND allowed "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}|${CMAKE_MATCH_3}")
    endif()
  endforeach()
endif()

if(DEFINED FILES)
  set(root "${ROOT}")
  set(files ${FILES})
else()
  set(root "${SOURCE_DIR}")
  file(GLOB_RECURSE files "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
       "${SOURCE_DIR}/tests/*.h" "${SOURCE_DIR}/tests/*.cpp")
endif()

function(is_allowed rule rel line out)
  set(${out} FALSE PARENT_SCOPE)
  foreach(entry IN LISTS allowed)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 allowedRule)
    list(GET parts 1 allowedPath)
    list(GET parts 2 piece)
    string(FIND "${line}" "${piece}" at)
    if(allowedRule STREQUAL rule AND allowedPath STREQUAL rel AND at GREATER -1)
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(failures "")
set(usedAllowed "")
foreach(path IN LISTS files)
  file(RELATIVE_PATH rel "${root}" "${path}")
  if(rel MATCHES "^tests/lint/")
    continue()  # the lint's own cases break its rules on purpose
  endif()
  file(READ "${path}" whole)
  read_lines("${path}" lines)
  foreach(name IN LISTS rules)
    set(where "${rule_${name}_where}")
    set(banned "${rule_${name}_banned}")
    set(exempt "${rule_${name}_exempt}")
    set(why "${rule_${name}_why}")
    if(NOT rel MATCHES "${where}")
      continue()
    endif()
    if(NOT exempt STREQUAL "" AND rel MATCHES "${exempt}")
      continue()
    endif()
    if(NOT whole MATCHES "${banned}")
      continue()
    endif()
    set(number 0)
    set(window "")
    set(recent "")
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      string(REGEX REPLACE "(^|[^:])//.*$" "\\1" code "${line}")
      if(code MATCHES "${banned}")
        set(polled FALSE)
        # A sleep in a loop that waits on a condition waits for an event; one in
        # a test server's answer is a slow server, the behaviour under test.
        if(name STREQUAL "sleep" AND recent MATCHES "(^|<s>)[ ]*(while|for) \\(|httplib::Response&")
          set(polled TRUE)
        endif()
        is_allowed("${name}" "${rel}" "${line}" ok)
        if(NOT polled AND NOT ok)
          string(APPEND failures "${rel}:${number}: ${name}: ${why}\n")
        endif()
      endif()
      # the last four lines before this one
      list(APPEND window "${line}")
      list(LENGTH window windowLength)
      if(windowLength GREATER 4)
        list(REMOVE_AT window 0)
      endif()
      list(JOIN window "<s>" recent)
    endforeach()
  endforeach()

  # check-then-open: a path judged (stat, lstat, access, is_regular_file,
  # exists) and then opened by name within the next lines. Open first and
  # judge the descriptor: RegularFile of common/regular_file.h.
  if(rel MATCHES "^src/" AND whole MATCHES "(stat|access|is_regular_file|exists)\\(")
    set(number 0)
    set(judged "")
    set(judgedAt 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(line MATCHES "(^|[^a-z_])(l?stat|access|is_regular_file|exists)\\(([A-Za-z_][A-Za-z_0-9.]*)")
        set(judged "${CMAKE_MATCH_3}")
        set(judgedAt ${number})
      elseif(NOT judged STREQUAL "")
        math(EXPR distance "${number} - ${judgedAt}")
        if(distance GREATER 8)
          set(judged "")
        else()
          string(REPLACE "." "\\." judgedPattern "${judged}")
          if(line MATCHES "(open|fopen|ifstream [a-z]+|ofstream [a-z]+)\\(${judgedPattern}[,.) ]")
            is_allowed("check-then-open" "${rel}" "${line}" ok)
            if(NOT ok)
              string(APPEND failures
                     "${rel}:${number}: check-then-open: '${judged}' is judged on line ${judgedAt} and opened here: open it and judge the descriptor (RegularFile, common/regular_file.h)\n")
            endif()
            set(judged "")
          endif()
        endif()
      endif()
    endforeach()
  endif()
endforeach()

if(NOT failures STREQUAL "")
  string(REPLACE "<s>" ";" failures "${failures}")
  string(REPLACE "<o>" "[" failures "${failures}")
  string(REPLACE "<c>" "]" failures "${failures}")
  message(FATAL_ERROR "project rules broken:\n${failures}")
endif()
