# Unit tests of the portable libraries, built by both the native and the win64
# builds so that they run in both data models: natively (long of 64 bits, under
# the sanitizers, one CTest test per case) and as Windows programs under Wine
# (long of 32 bits, wchar_t of 16, the layouts the deliverables use), where the
# whole program is one CTest test named TARGET.win64.
#
#   postern_add_portable_tests(TARGET LIBRARY SOURCES...)
#   postern_add_native_gtest(TARGET [TEST_PREFIX prefix])
#       each GoogleTest case of the native program TARGET becomes a CTest test
#       named <prefix>Suite.Case.
include_guard(GLOBAL)

function(postern_add_native_gtest target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "TEST_PREFIX" "")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "postern_add_native_gtest: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    set(prefix_args)
    if(arg_TEST_PREFIX)
        set(prefix_args TEST_PREFIX ${arg_TEST_PREFIX})
    endif()
    gtest_discover_tests(${target} ${prefix_args})
endfunction()

function(postern_add_portable_tests target library)
    add_executable(${target} ${ARGN})
    if(WIN32)
        target_link_libraries(${target} PRIVATE ${library} gtest_main)
        add_test(NAME ${target}.win64 COMMAND ${target})
        set_tests_properties(${target}.win64 PROPERTIES
            FIXTURES_REQUIRED wine TIMEOUT 300 LABELS "wine;portable")
    else()
        target_link_libraries(${target} PRIVATE ${library} GTest::gtest_main)
        postern_add_native_gtest(${target})
    endif()
endfunction()
