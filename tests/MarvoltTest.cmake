# marvolt_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [TIMEOUT s])
# Builds a Qt Test executable and registers it with CTest, run offscreen with a
# fixed locale so number and date texts are reproducible.
function(marvolt_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8")
endfunction()

# marvolt_add_tests_in_folder(LIBS lib ...)
# Every tst_<name>.cpp of the calling folder becomes the test <folder>_<name>.
function(marvolt_add_tests_in_folder)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(base ${src} NAME_WE)
        string(REGEX REPLACE "^tst_" "" name ${base})
        marvolt_add_test(NAME ${folder}_${name} SOURCES ${src} LIBS ${T_LIBS})
    endforeach()
endfunction()
