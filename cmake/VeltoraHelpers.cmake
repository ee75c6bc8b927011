# veltora_add_test_dir(LIBS <targets...> [QT])
#
# Every tst_*.cpp in the calling folder becomes one test executable, linked
# with LIBS and the test support library. Marker lines inside a test file:
#   // test-labels: e2e          the CTest label of all its tests: unit (the
#                                default), e2e (starts a server), xvfb (needs
#                                a real X display), tsan (a threaded test that
#                                test.sh also runs under ThreadSanitizer)
#   // test-libs: foo bar         extra libraries for this file only
#   // test-sources: a.cpp        extra sources for this file only
# QT: the tests get the shared main that builds a QApplication (offscreen
# platform unless the label xvfb is set); otherwise GoogleTest's own main.
function(veltora_add_test_dir)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  file(GLOB test_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  foreach(src ${test_files})
    get_filename_component(name ${src} NAME_WE)
    set(target "${prefix}_${name}")
    file(STRINGS ${src} label_line REGEX "^// test-labels:")
    file(STRINGS ${src} libs_line REGEX "^// test-libs:")
    file(STRINGS ${src} srcs_line REGEX "^// test-sources:")
    string(REGEX REPLACE "^// test-labels:[ ]*" "" labels "${label_line}")
    string(REGEX REPLACE "^// test-libs:[ ]*" "" extra_libs "${libs_line}")
    string(REGEX REPLACE "^// test-sources:[ ]*" "" extra_srcs "${srcs_line}")
    separate_arguments(labels)
    separate_arguments(extra_libs)
    separate_arguments(extra_srcs)
    list(TRANSFORM extra_srcs PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    add_executable(${target} ${src} ${extra_srcs})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} ${extra_libs} veltora_testsupport GTest::gmock)
    if(ARG_QT)
      target_link_libraries(${target} PRIVATE veltora_testmain_qt)
    else()
      target_link_libraries(${target} PRIVATE GTest::gtest_main)
    endif()
    if(NOT labels)
      set(labels unit)
    endif()
    # The tests of the libraries (libs/, skinui/, platform/) and of app/ make
    # the AddressSanitizer pass.
    if(prefix MATCHES "^(libs_|skinui|platform|app$)")
      set_property(GLOBAL APPEND PROPERTY VELTORA_ASAN_TESTS ${target})
    endif()
    # Test discovery at test time passes properties flat, so each test gets
    # exactly one label and at most one environment entry. "tsan" wins (the
    # ThreadSanitizer pass selects by it), then "xvfb", then the first one.
    if("tsan" IN_LIST labels)
      set_property(GLOBAL APPEND PROPERTY VELTORA_TSAN_TESTS ${target})
      set(label tsan)
    elseif("xvfb" IN_LIST labels)
      set(label xvfb)
    else()
      list(GET labels 0 label)
    endif()
    # Tests on the shared X display share its pointer and focus: one at a time.
    if(label STREQUAL "xvfb")
      set(extra ENVIRONMENT "VELTORA_TEST_DISPLAY=xvfb" RESOURCE_LOCK xvfb)
    else()
      set(extra ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      TEST_PREFIX "${prefix}."
      PROPERTIES LABELS "${label}" ${extra} TIMEOUT 300)
  endforeach()
endfunction()

# veltora_add_benchmark(NAME SOURCES ... LIBS ...)
function(veltora_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
