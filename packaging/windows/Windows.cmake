# What a Windows user installs: the four programs with their icon and version information, the Qt and
# MinGW libraries and the Qt plugins they load (Debian has no windeployqt: the lists are ours), laid out
# by `cmake --install`; scripts/windows/package turns that folder into the setup program and a .zip.
enable_language(RC)
set(ZOR_ICON ${CMAKE_CURRENT_LIST_DIR}/zorwifi.ico)
foreach(entry IN ITEMS "zorwifi|ZOR Wi-Fi alarm unit tool" "zorwifi-demo|ZOR Wi-Fi tool with a simulated unit"
                       "zorctl|ZOR Wi-Fi units from a terminal" "zorsim|Simulated ZOR Wi-Fi unit")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 ZOR_PROGRAM)
    list(GET entry 1 ZOR_DESCRIPTION)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${ZOR_PROGRAM}.rc @ONLY)
    target_sources(${ZOR_PROGRAM} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${ZOR_PROGRAM}.rc)
endforeach()
# The windows open no console; zorctl and zorsim are console programs.
set_target_properties(zorwifi zorwifi-demo PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS zorwifi zorwifi-demo zorsim zorctl RUNTIME DESTINATION .)
install(FILES ${ZOR_ICON} DESTINATION .)
foreach(module Core Gui Widgets Network Multimedia)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
set(qtPlugins $<TARGET_FILE_DIR:Qt6::Core>/../plugins)
if(MINGW)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                        OUTPUT_STRIP_TRAILING_WHITESPACE)
        install(FILES ${path} DESTINATION .)
    endforeach()
endif()
foreach(plugin platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle multimedia/windowsmediaplugin
               tls/qschannelbackend tls/qcertonlybackend imageformats/qico imageformats/qjpeg imageformats/qgif)
    get_filename_component(folder ${plugin} DIRECTORY)
    install(FILES ${qtPlugins}/${plugin}.dll DESTINATION ${folder})
endforeach()
# The installer's name and texts take the project's version, as zorctl --version does.
configure_file(${CMAKE_CURRENT_LIST_DIR}/zorwifi.nsi.in ${CMAKE_BINARY_DIR}/zorwifi.nsi @ONLY)
