# The Prometheus rules with their unit tests, the example scrape configuration and the Grafana
# dashboard's queries, checked with Debian's promtool (package prometheus). Without it the tests
# fail with "not found" rather than pass unchecked.
find_program(PROMTOOL promtool)
if(NOT PROMTOOL)
  set(PROMTOOL promtool)
endif()
set(PROMETHEUS_CONTRIB ${CMAKE_SOURCE_DIR}/contrib/prometheus)
add_test(NAME prometheus.check_rules
         COMMAND ${PROMTOOL} check rules ${PROMETHEUS_CONTRIB}/protmon.rules.yml
                 ${PROMETHEUS_CONTRIB}/protmon.limits.example.yml)
add_test(NAME prometheus.test_rules COMMAND ${PROMTOOL} test rules protmon.rules.test.yml
         WORKING_DIRECTORY ${PROMETHEUS_CONTRIB})
add_test(NAME prometheus.check_config
         COMMAND ${PROMTOOL} check config ${PROMETHEUS_CONTRIB}/prometheus.yml)
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME grafana.dashboard
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/prometheus/dashboard_queries.py
                   ${CMAKE_SOURCE_DIR}/contrib/grafana/protmon.json ${PROMTOOL})
endif()

# The rules, the example configuration and the dashboard are installed as documentation examples.
include(GNUInstallDirs)
install(FILES ${PROMETHEUS_CONTRIB}/protmon.rules.yml ${PROMETHEUS_CONTRIB}/protmon.limits.example.yml
              ${PROMETHEUS_CONTRIB}/prometheus.yml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/protmon/examples/prometheus)
install(FILES ${CMAKE_SOURCE_DIR}/contrib/grafana/protmon.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/protmon/examples/grafana)
