# Windows tests under Wine. CTest runs every Windows test program through
# scripts/wine-run.sh (the cross-compiling emulator), which keeps one throwaway
# prefix, one Xvfb display and one persistent wineserver for the whole run in
# ${POSTERN_WINE_DIR}. The fixture "wine" brings them up (test wine.setup) and
# takes them down (test wine.cleanup); every Windows test requires it.
#
#   postern_add_wine_gtest(TARGET [GTEST_FILTER filter] [TIMEOUT seconds]
#                          [RESOURCE_LOCK lock] [DLLS dll...])
#       each GoogleTest case of TARGET (those the filter selects) becomes a CTest
#       test named TARGET.Suite.Case, holding the lock while it runs; the DLL
#       targets are copied next to TARGET, which links win_test_support.
#   postern_copy_test_dlls(TARGET DLL_TARGET...)
#       copies the DLLs next to the test program TARGET after each build.
#   postern_add_modem_test(NAME TARGET SCENARIO GTEST_FILTER [SIM_ARGS ...])
#       runs TARGET's GTEST_FILTER cases against the modem simulator on COM1.
#   postern_add_serial_peer_test(NAME TARGET GTEST_FILTER [READY_FILE f] [LOG f]
#                                [RECORD f] [WORK_DIR d] PEER command...)
#       the same with any peer program that links ${POSTERN_WINE_DIR}/com1 to its
#       pseudo-terminal (for example socat); without READY_FILE the peer is ready
#       when the link exists. LOG and RECORD reach the test as MODEMSIM_LOG and
#       MODEMSIM_RECORD (Windows paths); LOG's tail is printed when the test fails.
include_guard(GLOBAL)
include(GoogleTest)

set(POSTERN_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(POSTERN_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(POSTERN_MODEMSIM ${CMAKE_SOURCE_DIR}/build/native/standins/modem/modemsim
    CACHE FILEPATH "The native modem simulator that serial tests talk to on COM1")

foreach(tool wine wineserver Xvfb flock setsid)
    find_program(POSTERN_${tool}_PROGRAM ${tool})
    if(NOT POSTERN_${tool}_PROGRAM)
        message(FATAL_ERROR "${tool} is needed to run the Windows tests; scripts/test.sh installs it")
    endif()
endforeach()

# Test programs (and gtest_discover_tests) run as: bash wine-run.sh --wine-dir DIR EXE ARGS
# (through bash, so a checkout without the execute bit works too).
find_program(POSTERN_BASH_PROGRAM bash REQUIRED)
set(POSTERN_WINE_LAUNCHER ${POSTERN_BASH_PROGRAM} ${POSTERN_WINE_RUN} --wine-dir ${POSTERN_WINE_DIR})
set(CMAKE_CROSSCOMPILING_EMULATOR ${POSTERN_WINE_LAUNCHER})

add_test(NAME wine.setup COMMAND ${POSTERN_WINE_LAUNCHER} --setup)
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 900 LABELS wine)
add_test(NAME wine.cleanup COMMAND ${POSTERN_WINE_LAUNCHER} --cleanup)
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 300 LABELS wine)

# DLLs (and programs) that a test program loads go next to it, the first place
# Windows looks. The copy is a build step of its own that depends on the file,
# so a rebuilt DLL is copied again even when the test program itself is not
# relinked. The test program stays in its folder's binary directory.
function(postern_copy_test_dlls target)
    foreach(dll IN LISTS ARGN)
        get_target_property(dll_dir ${dll} BINARY_DIR)
        if(dll_dir STREQUAL CMAKE_CURRENT_BINARY_DIR)
            add_dependencies(${target} ${dll}) # built beside the test already
            continue()
        endif()
        get_target_property(type ${dll} TYPE)
        get_target_property(name ${dll} OUTPUT_NAME)
        if(NOT name)
            set(name ${dll})
        endif()
        get_target_property(prefix ${dll} PREFIX)
        if(type STREQUAL "EXECUTABLE")
            set(prefix "")
        elseif(prefix MATCHES "NOTFOUND$")
            set(prefix "${CMAKE_SHARED_LIBRARY_PREFIX}")
        endif()
        get_target_property(suffix ${dll} SUFFIX)
        if(NOT suffix)
            set(suffix ".dll")
            if(type STREQUAL "EXECUTABLE")
                set(suffix ".exe")
            endif()
        endif()
        set(copy ${CMAKE_CURRENT_BINARY_DIR}/${prefix}${name}${suffix})
        add_custom_command(OUTPUT ${copy}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${dll}> ${copy}
            DEPENDS ${dll} $<TARGET_FILE:${dll}>
            VERBATIM)
        add_custom_target(${target}_copies_${dll} DEPENDS ${copy})
        add_dependencies(${target} ${target}_copies_${dll})
    endforeach()
endfunction()

function(postern_add_wine_gtest target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "GTEST_FILTER;TIMEOUT;RESOURCE_LOCK" "DLLS")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "postern_add_wine_gtest: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    target_link_libraries(${target} PRIVATE win_test_support)
    if(arg_DLLS)
        postern_copy_test_dlls(${target} ${arg_DLLS})
    endif()
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    set(lock_args)
    if(arg_RESOURCE_LOCK)
        set(lock_args RESOURCE_LOCK ${arg_RESOURCE_LOCK})
    endif()
    set(filter_args)
    if(arg_GTEST_FILTER)
        set(filter_args TEST_FILTER ${arg_GTEST_FILTER})
    endif()
    # Discovery runs when ctest starts, before wine.setup; the launcher brings
    # the harness up then if needed (a fresh prefix takes about 15 s).
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 900
        TEST_PREFIX ${target}.
        ${filter_args}
        PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${arg_TIMEOUT} LABELS wine ${lock_args})
endfunction()

function(postern_add_serial_peer_test name target gtest_filter)
    cmake_parse_arguments(PARSE_ARGV 3 arg "" "READY_FILE;LOG;RECORD;WORK_DIR" "PEER")
    if(NOT arg_PEER)
        message(FATAL_ERROR "postern_add_serial_peer_test(${name}): PEER command missing")
    endif()
    if(NOT arg_WORK_DIR)
        set(arg_WORK_DIR ${CMAKE_CURRENT_BINARY_DIR}/serial/${name})
    endif()
    set(opts --work ${arg_WORK_DIR})
    foreach(opt READY_FILE LOG RECORD)
        if(arg_${opt})
            string(TOLOWER ${opt} flag)
            string(REPLACE _ - flag ${flag})
            list(APPEND opts --${flag} ${arg_${opt}})
        endif()
    endforeach()
    add_test(NAME ${name}
             COMMAND ${POSTERN_WINE_LAUNCHER} --peer-test
                     --exe $<TARGET_FILE:${target}> --gtest-filter ${gtest_filter}
                     ${opts} -- ${arg_PEER})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine RESOURCE_LOCK com1 TIMEOUT 300 LABELS "wine;serial")
endfunction()

function(postern_add_modem_test name target scenario gtest_filter)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/modem/${name})
    postern_add_serial_peer_test(${name} ${target} ${gtest_filter}
        WORK_DIR ${work}
        READY_FILE ${work}/ready
        LOG ${work}/modemsim.log
        RECORD ${work}/record.txt
        PEER ${POSTERN_MODEMSIM} --link ${POSTERN_WINE_DIR}/com1 --scenario ${scenario}
             --log ${work}/modemsim.log --record ${work}/record.txt
             --ready-file ${work}/ready ${ARGN})
endfunction()
