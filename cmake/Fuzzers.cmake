# postern_add_fuzz_target(NAME LIBRARIES lib... [MAX_LEN bytes]): a libFuzzer
# target built from NAME.cpp beside the calling CMakeLists.txt, linked with the
# libraries. It also runs briefly under CTest (POSTERN_FUZZ_SECONDS) from its
# seed corpus in corpus/NAME; the inputs it finds go to a corpus of the same
# name in the build tree, so later runs start from everything found so far. A
# failing input is saved as artifacts/NAME-crash-<sha1> in the build tree; run
# the fuzzer with that file as its only argument to reproduce.
function(postern_add_fuzz_target name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAX_LEN" "LIBRARIES")
    add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(artifacts ${CMAKE_CURRENT_BINARY_DIR}/artifacts)
    set(found ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
    file(MAKE_DIRECTORY ${artifacts} ${found})
    set(max_len)
    if(arg_MAX_LEN)
        set(max_len -max_len=${arg_MAX_LEN})
    endif()
    add_test(NAME ${name}
             COMMAND ${name} -max_total_time=${POSTERN_FUZZ_SECONDS} -timeout=10 ${max_len}
                     -print_final_stats=1 -artifact_prefix=${artifacts}/${name}-
                     ${found} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    math(EXPR limit "${POSTERN_FUZZ_SECONDS} + 60")
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT ${limit})
endfunction()
