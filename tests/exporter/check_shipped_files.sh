#!/bin/sh
# The shipped Prometheus job, alert rules and their tests, and the exporter's systemd unit,
# checked by the tools that read them. Usage: check_shipped_files.sh SOURCE_DIR EXPORTER_BINARY
set -eu
examples=$1/examples/prometheus
promtool check config "$examples/prometheus.yml"
promtool check rules "$examples/zorwifi-rules.yml"
(cd "$examples" && promtool test rules zorwifi-rules.test.yml)

# The unit as installed, with the program where this build has it.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sed "s#/usr/bin/zorwifi-exporter#$2#" "$1/packaging/zorwifi-exporter.service" >"$scratch/zorwifi-exporter.service"
systemd-analyze verify --man=no "$scratch/zorwifi-exporter.service"
