# Common compile settings for every target of the project.

set(PADSMITH_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

if(PADSMITH_SANITIZE)
    add_compile_options(${PADSMITH_SANITIZER_FLAGS})
    add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for the project's own code (not for generated moc/uic files).
function(padsmith_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
        -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
        -Wnull-dereference -Wimplicit-fallthrough)
    if(PADSMITH_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
        # GCC 12 and later report a false -Wrestrict inside std::string concatenation at -O2
        # and above (a known compiler bug): it stays a warning.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
            target_compile_options(${target} PRIVATE -Wno-error=restrict)
        endif()
    endif()
endfunction()

# A library of the project: sources listed explicitly, includes rooted at src/ so an include
# names its folder ("kit/KitDocument.h").
function(padsmith_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    padsmith_warnings(${name})
endfunction()

# A GoogleTest executable registered with CTest, one per area.
function(padsmith_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    padsmith_warnings(${name})
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
endfunction()

# A Qt Test executable, run offscreen, registered with CTest.
function(padsmith_qtest name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    padsmith_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS gui
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
