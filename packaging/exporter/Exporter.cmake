# zorwifi-exporter in the package: the daemon, its systemd unit, its man page and the
# Prometheus examples (scrape job, alert rules and their tests).
install(TARGETS zorwifi-exporter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zorwifi-exporter.service DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/examples/prometheus/prometheus.yml
              ${PROJECT_SOURCE_DIR}/examples/prometheus/zorwifi-rules.yml
              ${PROJECT_SOURCE_DIR}/examples/prometheus/zorwifi-rules.test.yml
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/prometheus)

if(HELP2MAN)
  set(exporterPage ${CMAKE_CURRENT_BINARY_DIR}/zorwifi-exporter.1)
  add_custom_command(OUTPUT ${exporterPage}
      COMMAND ${HELP2MAN} --no-info --section=1 "--name=Prometheus exporter for ZOR Wi-Fi alarm units"
              --include=${CMAKE_CURRENT_LIST_DIR}/zorwifi-exporter.h2m --output=${exporterPage}
              $<TARGET_FILE:zorwifi-exporter>
      DEPENDS zorwifi-exporter ${CMAKE_CURRENT_LIST_DIR}/zorwifi-exporter.h2m
      COMMENT "Writing the zorwifi-exporter man page"
      VERBATIM)
  add_custom_target(exporter-man-page ALL DEPENDS ${exporterPage})
  install(FILES ${exporterPage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

string(APPEND CPACK_PACKAGE_DESCRIPTION
    "\nzorwifi-exporter serves the units' state to Prometheus, one probe per scrape.")
