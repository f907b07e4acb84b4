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
               ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=set:detect_leaks=0")
endfunction()
