# SPDX-License-Identifier: GPL-3.0-or-later
# Common compile settings for every target of the project.

set(PADSMITH_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

# A Debug build with the sanitizers is optimised a little, as AddressSanitizer's guide advises:
# unoptimised, every call into the standard library is a call checked on its own, which makes
# the fuzz targets and the tests several times slower and finds nothing more.
if(PADSMITH_SANITIZE)
    add_compile_options(${PADSMITH_SANITIZER_FLAGS} $<$<CONFIG:Debug>:-O1>)
    add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer cannot share a program with AddressSanitizer. Qt and the sound and MIDI
# libraries are not instrumented: only what happens in this project's code is seen, and the
# suppressions in tests/tsan.supp name what the libraries do behind its back.
if(PADSMITH_TSAN)
    if(PADSMITH_SANITIZE)
        message(FATAL_ERROR "PADSMITH_TSAN and PADSMITH_SANITIZE exclude each other")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# The hardening distributions build with (Debian's dpkg-buildflags): the C library's fortified
# calls where the code is optimised, the strong stack protector, position-independent
# executables, and relocations made read-only at start. Not in the sanitizer and fuzz builds,
# whose run-time libraries stand in for the fortified calls.
if(PADSMITH_HARDENING AND NOT PADSMITH_SANITIZE AND NOT PADSMITH_TSAN AND NOT PADSMITH_FUZZ)
    include(CheckPIESupported)
    check_pie_supported()
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    add_compile_options(-fstack-protector-strong
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    add_link_options(LINKER:-z,relro LINKER:-z,now)
    set(PADSMITH_HARDENED ON)
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

# A module of the editor, loaded at run time: its file `name` (without the system's suffix), the
# source with its entry function, and the project libraries it holds (each of them must be built
# position-independent). It keeps their code to itself and shows only its entry function. It is
# built beside the editor, where a run from the build tree finds it, and installed in the
# package's folder of modules.
#   padsmith_module(TARGET NAME SOURCE LIBRARY...)
function(padsmith_module target name source)
    add_library(${target} MODULE ${source})
    target_link_libraries(${target} PRIVATE ${ARGN})
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${name} PREFIX ""
        CXX_VISIBILITY_PRESET hidden
        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/apps/padsmith)
    if(NOT APPLE AND NOT WIN32)
        target_link_options(${target} PRIVATE LINKER:--exclude-libs,ALL)
    endif()
    padsmith_warnings(${target})
    install(TARGETS ${target} LIBRARY DESTINATION ${PADSMITH_MODULE_DIR})
endfunction()

# A test program of the project: the test helpers' includes, and a stack printed on a crash.
# Labels beyond a test's kind: "threads" for the tests the ThreadSanitizer build runs (code that
# starts threads or takes callbacks), "stress" for those CI runs several times in a row.
function(padsmith_test_program name)
    add_executable(${name} ${ARGN} ${PROJECT_SOURCE_DIR}/tests/CrashTrace.cpp)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    # Exported symbols let the crash handler name the functions of the stack.
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
    if(PADSMITH_TSAN)
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/TsanClone.cpp)
        target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
    endif()
    padsmith_warnings(${name})
endfunction()

# A GoogleTest executable registered with CTest, one per area:
#   padsmith_gtest(NAME SOURCES... [LABELS LABEL...])
function(padsmith_gtest name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LABELS")
    padsmith_test_program(${name} ${arg_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
    set(labels unit ${arg_LABELS})
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${labels}")
endfunction()

# A Qt Test executable, run offscreen, registered with CTest:
#   padsmith_qtest(NAME SOURCES... [LABELS LABEL...])
function(padsmith_qtest name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LABELS")
    padsmith_test_program(${name} ${arg_UNPARSED_ARGUMENTS})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    # Qt Test's own crash handler would replace the one above, and it needs a debugger.
    add_test(NAME ${name} COMMAND ${name} -nocrashhandler)
    set(labels gui ${arg_LABELS})
    set_tests_properties(${name} PROPERTIES LABELS "${labels}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Installs a file compressed, as distributions ship manual pages and changelogs (uncompressed
# where there is no gzip). `file` may be made by the build; `target` names the custom target that
# compresses it.
find_program(PADSMITH_GZIP gzip)
function(padsmith_install_compressed target file destination)
    if(NOT PADSMITH_GZIP)
        install(FILES ${file} DESTINATION ${destination})
        return()
    endif()
    get_filename_component(name ${file} NAME)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    # -n keeps the name and time out of the file, so the same text gives the same bytes.
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${PADSMITH_GZIP} -9 -n -c ${file} > ${compressed}
        DEPENDS ${file}
        COMMENT "Compressing ${name}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()
