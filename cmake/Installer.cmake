# LotseSetup.exe: the NSIS setup of lotse.exe (stripped of its debug
# information), for `make dist`. Beside it, for the Wine tests only, the same
# program with the next build number in its version resource and its setup:
# the newer build that upgrades a running installation.
find_program(LOTSE_MAKENSIS makensis REQUIRED)
set(LOTSE_INSTALLER_SOURCES ${CMAKE_SOURCE_DIR}/installer/LotseSetup.nsi
    ${CMAKE_SOURCE_DIR}/installer/RunningLotse.nsh ${CMAKE_SOURCE_DIR}/installer/Texts.nsh
    ${CMAKE_SOURCE_DIR}/resources/lotse.ico)

# NAME.exe from PROGRAM, whose file version ends in BUILD_NUMBER; the packed
# program is kept as setup-files/NAME/lotse.exe.
function(lotse_add_setup name program buildNumber)
    set(files ${CMAKE_BINARY_DIR}/setup-files/${name})
    set(output ${CMAKE_BINARY_DIR}/${name}.exe)
    add_custom_command(OUTPUT ${output} ${files}/lotse.exe
        COMMAND ${CMAKE_COMMAND} -E make_directory ${files}
        COMMAND ${CMAKE_STRIP} -o ${files}/lotse.exe $<TARGET_FILE:${program}>
        COMMAND ${LOTSE_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DLOTSE_EXE=${files}/lotse.exe
            -DVERSION=${PROJECT_VERSION} -DFILE_VERSION=${PROJECT_VERSION}.${buildNumber}
            -DPRODUCT_PAGE=${LOTSE_PRODUCT_PAGE} -DICON=${CMAKE_SOURCE_DIR}/resources/lotse.ico
            -DOUTFILE=${output} ${CMAKE_SOURCE_DIR}/installer/LotseSetup.nsi
        DEPENDS ${program} ${LOTSE_INSTALLER_SOURCES}
        COMMENT "Packing ${name}.exe"
        VERBATIM)
    add_custom_target(${name} ALL DEPENDS ${output})
endfunction()

lotse_add_setup(LotseSetup lotse ${LOTSE_BUILD_NUMBER})

math(EXPR LOTSE_NEXT_BUILD_NUMBER "${LOTSE_BUILD_NUMBER} + 1")
add_executable(lotse_nextbuild WIN32 app/win/WinMain.cpp ${LOTSE_RESOURCES})
target_compile_definitions(lotse_nextbuild PRIVATE LOTSE_BUILD_NUMBER=${LOTSE_NEXT_BUILD_NUMBER})
target_link_libraries(lotse_nextbuild PRIVATE lotse_win ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_nextbuild PRIVATE -municode)
lotse_add_setup(LotseSetup-nextbuild lotse_nextbuild ${LOTSE_NEXT_BUILD_NUMBER})
