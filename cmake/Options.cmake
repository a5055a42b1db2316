# Every build option of the project, reported at configure time.
option(BUILD_TESTING "Build the unit and integration tests" ON)
option(BUILD_GUI "Build the Qt desktop program" ON)
option(BUILD_BENCHMARKS "Build the Google Benchmark programs under bench/" OFF)
option(ENABLE_ASAN "Build with AddressSanitizer" OFF)
option(ENABLE_UBSAN "Build with UndefinedBehaviorSanitizer" OFF)
option(ENABLE_TSAN "Build with ThreadSanitizer" OFF)
option(ENABLE_FUZZER "Build the libFuzzer targets (needs clang)" OFF)
option(ENABLE_WERROR "Treat compiler warnings as errors" OFF)
option(ENABLE_KEYRING "Keep credentials in the desktop's Secret Service (QtKeychain)" ON)

if(ENABLE_TSAN AND ENABLE_ASAN)
    message(FATAL_ERROR "ENABLE_TSAN and ENABLE_ASAN cannot be combined")
endif()

add_compile_options(-Wall -Wextra -Wpedantic)
if(ENABLE_WERROR)
    add_compile_options(-Werror)
endif()

set(PELMORA_SANITIZERS "")
if(ENABLE_ASAN)
    list(APPEND PELMORA_SANITIZERS address)
endif()
if(ENABLE_UBSAN)
    list(APPEND PELMORA_SANITIZERS undefined)
endif()
if(ENABLE_TSAN)
    list(APPEND PELMORA_SANITIZERS thread)
endif()
if(PELMORA_SANITIZERS)
    list(JOIN PELMORA_SANITIZERS "," PELMORA_SANITIZER_LIST)
    add_compile_options(-fsanitize=${PELMORA_SANITIZER_LIST} -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${PELMORA_SANITIZER_LIST})
endif()

if(ENABLE_FUZZER AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ENABLE_FUZZER needs clang (configure with CXX=clang++)")
endif()

if(BUILD_GUI AND NOT ENABLE_KEYRING)
    message(FATAL_ERROR "The desktop program needs ENABLE_KEYRING (its \"Remember on this PC\")")
endif()

foreach(opt BUILD_TESTING BUILD_GUI BUILD_BENCHMARKS ENABLE_ASAN ENABLE_UBSAN ENABLE_TSAN
            ENABLE_FUZZER ENABLE_WERROR ENABLE_KEYRING)
    message(STATUS "Pelmora option ${opt}: ${${opt}}")
endforeach()
