# One options target that every Quorvel target links: strict warnings and
# Qt's safety defines.
add_library(quorvel_options INTERFACE)
target_compile_options(quorvel_options INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(quorvel_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER)

# quorvel_add_test(NAME SOURCES ... [LIBS ...] [ENV ...] [TIMEOUT s]): one
# QtTest executable registered with CTest. Every test runs in a fixed locale
# and time zone, and on the offscreen platform, so nothing depends on the
# machine. Under ASan, the web engine behind the preview frees some of its
# own objects through a pointer of another size; that check is off for
# every test.
function(quorvel_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quorvel_options Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set(env "TZ=UTC" "LC_ALL=C.UTF-8" "LANG=C.UTF-8" "QT_QPA_PLATFORM=offscreen"
            "QTWEBENGINE_DISABLE_SANDBOX=1" "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu"
            "ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0" ${ARG_ENV})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# quorvel_add_tests_in_folder(LIBS ...): every tst_*.cpp of the calling
# folder becomes one test executable.
function(quorvel_add_tests_in_folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(test ${tests})
        get_filename_component(name ${test} NAME_WE)
        quorvel_add_test(${name} SOURCES ${test} LIBS ${ARG_LIBS})
    endforeach()
endfunction()
