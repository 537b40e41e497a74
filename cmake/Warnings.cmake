# Project-wide compile flags: warnings, sanitizers and the fuzzing build.
add_compile_options(-Wall -Wextra)
if(PK_WERROR)
    add_compile_options(-Werror)
endif()

if(PK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(PK_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

if(PK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "PK_FUZZ needs clang")
    endif()
    # An undefined-behaviour report ends the run, as it does in the sanitizer tests.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# pk_add_library(name folder [LINK libs...]): one static library from every .cpp
# in a folder (not its subfolders), so new files need no edit of a list.
function(pk_add_library name folder)
    cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
    if(NOT sources)
        # A folder whose code has not arrived yet still yields a library.
        set(anchor ${CMAKE_CURRENT_BINARY_DIR}/${name}_anchor.cpp)
        file(WRITE ${anchor} "namespace { [[maybe_unused]] int anchor = 0; }\n")
        set(sources ${anchor})
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
endfunction()

# pk_add_test_suite(name folder [TIMEOUT seconds] LINK libs...): one GoogleTest program from
# every *_test.cpp in a folder; each test may take TIMEOUT seconds (120 by default).
function(pk_add_test_suite name folder)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LINK" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    # The ThreadSanitizer build runs each program whole, once (below).
    if(NOT PK_TSAN)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    endif()
    # The whole program once more in a shuffled order (ctest runs each test
    # above alone, which hides a test that needs what an earlier one left).
    add_test(NAME ${name}.shuffled
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/run-shuffled $<TARGET_FILE:${name}>)
    # Started first: it runs as long as all the tests of the program together.
    set_tests_properties(${name}.shuffled PROPERTIES TIMEOUT 600 COST 10000)
endfunction()
