# marvolt_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [TIMEOUT s] [BOTH_BACKENDS])
# Builds a Qt Test executable and registers it with CTest, run offscreen with a
# fixed locale so number and date texts are reproducible. BOTH_BACKENDS
# registers it a second time as name_postgres, run with
# MARVOLT_TEST_BACKEND=postgresql (tests/support/TestBackend.h).
function(marvolt_add_test)
    cmake_parse_arguments(T "BOTH_BACKENDS" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    # The label says which database a test runs on (scripts/test.sh counts them).
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    if(folder STREQUAL "postgres")
        set(backend postgresql)
    else()
        set(backend sqlite)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        LABELS ${backend}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8")
    if(T_BOTH_BACKENDS AND MARVOLT_WITH_POSTGRES)
        add_test(NAME ${T_NAME}_postgres COMMAND ${T_NAME})
        set_tests_properties(${T_NAME}_postgres PROPERTIES
            TIMEOUT ${T_TIMEOUT}
            LABELS postgresql
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;MARVOLT_TEST_BACKEND=postgresql")
    endif()
endfunction()

# marvolt_add_tests_in_folder(LIBS lib ... [BOTH_BACKENDS name ...])
# Every tst_<name>.cpp of the calling folder becomes the test <folder>_<name>;
# the names listed in BOTH_BACKENDS run on PostgreSQL as well.
function(marvolt_add_tests_in_folder)
    cmake_parse_arguments(T "" "" "LIBS;BOTH_BACKENDS" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(base ${src} NAME_WE)
        string(REGEX REPLACE "^tst_" "" name ${base})
        set(backends)
        if(name IN_LIST T_BOTH_BACKENDS)
            set(backends BOTH_BACKENDS)
        endif()
        marvolt_add_test(NAME ${folder}_${name} SOURCES ${src} LIBS ${T_LIBS} ${backends})
    endforeach()
endfunction()
