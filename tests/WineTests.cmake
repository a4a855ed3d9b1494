# Tests of the Windows tree under Wine and the end-to-end scripts. They share
# one service instance with demo data on the configured port and run one at a
# time (one X server and Wine prefix each, but one service port).
set(LOTSE_SERVICE_STATE ${CMAKE_BINARY_DIR}/service-test)
add_test(NAME service.start COMMAND ${CMAKE_SOURCE_DIR}/scripts/service-ctl.sh start
    ${CMAKE_BINARY_DIR} ${LOTSE_SERVICE_PORT} ${LOTSE_SERVICE_STATE})
add_test(NAME service.stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/service-ctl.sh stop ${LOTSE_SERVICE_STATE})
set_tests_properties(service.start PROPERTIES FIXTURES_SETUP service RESOURCE_LOCK service)
set_tests_properties(service.stop PROPERTIES FIXTURES_CLEANUP service RESOURCE_LOCK service)

set(LOTSE_WINE_ENV
    LOTSE_TOP=${CMAKE_SOURCE_DIR}
    LOTSE_WIN_BUILD=${LOTSE_WIN_BUILD_DIR}
    LOTSE_NATIVE_BUILD=${CMAKE_BINARY_DIR}
    LOTSE_SERVICE_PORT=${LOTSE_SERVICE_PORT}
    LOTSE_SCREENSHOTS=${CMAKE_BINARY_DIR}/../screenshots)

add_test(NAME wine.unit COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh
    ${LOTSE_WIN_BUILD_DIR}/lotse_wintests.exe --service-port=${LOTSE_SERVICE_PORT})
set_tests_properties(wine.unit PROPERTIES ENVIRONMENT "${LOTSE_WINE_ENV}"
    FIXTURES_REQUIRED service RESOURCE_LOCK wine LABELS wine TIMEOUT 900)

file(GLOB LOTSE_SCRIPT_TESTS CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tests/win/*.test.sh ${CMAKE_SOURCE_DIR}/tests/e2e/*.test.sh)
foreach(script ${LOTSE_SCRIPT_TESTS})
    get_filename_component(name ${script} NAME_WE)
    get_filename_component(dir ${script} DIRECTORY)
    get_filename_component(kind ${dir} NAME)
    add_test(NAME ${kind}.${name} COMMAND bash ${script})
    set_tests_properties(${kind}.${name} PROPERTIES ENVIRONMENT "${LOTSE_WINE_ENV}"
        FIXTURES_REQUIRED service RESOURCE_LOCK wine LABELS ${kind} TIMEOUT 600
        SKIP_RETURN_CODE 77)
endforeach()
