# Warnings for every target of the project, and the sanitizer build.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)

if(HARVEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Marks a target as part of the engine: it may link nothing of Qt. A test checks
# the sources as well (tests/layering).
function(harvel_engine_target target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(libs)
    foreach(lib IN LISTS libs)
      if(lib MATCHES "^Qt")
        message(FATAL_ERROR "${target} is an engine target and must not link ${lib}")
      endif()
    endforeach()
  endif()
endfunction()
