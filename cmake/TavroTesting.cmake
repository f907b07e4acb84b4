# LeakSanitizer checks every test of an ASan build, whatever ASAN_OPTIONS
# says. Its suppressions name leaks inside Qt, fontconfig and drivers only;
# the runtime's __tls_get_addr hook is off, as it can crash the leak tracer.
set(TAVRO_LSAN_OPTIONS
    "detect_leaks=1:suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-suppressions.txt:print_suppressions=0:intercept_tls_get_addr=0")

# tavro_add_gtests(NAME GLOB pattern... LINK libs...)
# One GoogleTest executable from the files matching the patterns in the
# calling folder, each test case registered with CTest. Qt runs offscreen.
function(tavro_add_gtests name)
  cmake_parse_arguments(ARG "" "" "GLOB;LINK" ${ARGN})
  set(sources)
  foreach(pattern ${ARG_GLOB})
    file(GLOB matched CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${matched})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    # One variable per property: test discovery splits a list value apart.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "LSAN_OPTIONS=set:${TAVRO_LSAN_OPTIONS}")
endfunction()
