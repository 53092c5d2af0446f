#!/bin/sh
# Runs the Ansible example of docs/fleet.md three times against three simulated units on loopback:
# the first run changes them, the second changes and writes nothing, and --check --diff after a
# change by hand shows that change and writes nothing.
# Usage: ansible_smoke.sh ZORCTL ZORSIM
# Where it may, it runs in a network namespace of its own, which holds nothing but loopback.
set -eu
zorctl=$1
zorsim=$2
here=$(cd "$(dirname "$0")" && pwd)
example=$here/../../examples/ansible

if [ -z "${ZOR_SMOKE_ISOLATED:-}" ] && unshare -n true 2>/dev/null; then
  export ZOR_SMOKE_ISOLATED=1
  exec unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi

# Nothing in the inventory may point off loopback.
if grep -E '(unit_address|scan_subnet)=' "$example/inventory.ini" | grep -vE '(unit_address|scan_subnet)=127\.' ; then
  echo "the example inventory names an address off loopback" >&2
  exit 1
fi
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is missing: scripts/setup installs ansible-core" >&2; exit 1; }

work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The example's units, moved to this test's own loopback addresses.
sed 's/127\.18\.0\./127.40.18./g' "$example/inventory.ini" > "$work/inventory.ini"
for n in 1 2 3; do
  "$zorsim" --address 127.40.18.$n 2> "$work/unit$n.log" &
  pids="$pids $!"
done
for n in 1 2 3; do
  tries=0
  until "$zorctl" --address 127.40.18.$n info >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || { echo "unit 127.40.18.$n did not start" >&2; exit 1; }
    sleep 0.1
  done
done

project=$work/project
"$zorctl" project new "$project" >/dev/null
{ printf 'ID3\4\0\0\0\0\0\0'; head -c 3990 /dev/zero; } > "$work/chime.mp3"  # an ID3 tag: the editor takes MP3 only
"$zorctl" project add-clip "$project" 1 "$work/chime.mp3" >/dev/null
"$zorctl" project input "$project" 0 --clips 1 --repeat 2 >/dev/null
mkdir "$work/backups"

export LC_ALL=C.UTF-8 ANSIBLE_NOCOLOR=1 ANSIBLE_FORKS=3 ANSIBLE_HOME="$work/ansible" \
       ANSIBLE_LOCAL_TEMP="$work/ansible/tmp" ANSIBLE_RETRY_FILES_ENABLED=0
playbook() {
  ansible-playbook -i "$work/inventory.ini" "$example/site.yml" \
    -e zorctl="$zorctl" -e project_dir="$project" -e backup_dir="$work/backups" "$@" > "$work/run.txt" 2>&1 \
    || { cat "$work/run.txt"; echo "the playbook failed" >&2; exit 1; }
}
# Each unit's log lines from here on.
mark() { for n in 1 2 3; do wc -l < "$work/unit$n.log" > "$work/unit$n.mark"; done; }
# Fails when a unit was sent anything but device information and file reads since the mark.
no_write() {
  for n in 1 2 3; do
    written=$(tail -n +"$(($(cat "$work/unit$n.mark") + 1))" "$work/unit$n.log" \
              | grep -E 'request [0-9]+ ' | grep -vE 'request (33|91) ' || true)
    [ -z "$written" ] || { echo "$1: unit 127.40.18.$n was written to:" >&2; echo "$written" >&2; exit 1; }
  done
}
recap() { grep -E '^(pump-room|boiler-room|loading-bay) +:' "$work/run.txt"; }

# 1. The units are brought to their locations and the project.
playbook
count=$(ls "$work/backups" | wc -l)
[ "$count" -eq 3 ] || { echo "expected 3 backups, found $count" >&2; exit 1; }
recap | grep -q 'changed=0' && { recap; echo "the first run left a unit unchanged" >&2; exit 1; }
echo "ansible smoke: the first run commissioned 3 units"

# 2. Nothing differs now: nothing changes and nothing is written.
mark
playbook
[ "$(recap | grep -c 'changed=0 ')" -eq 3 ] || { recap; echo "the second run changed something" >&2; exit 1; }
no_write "the second run"
echo "ansible smoke: the second run reported changed=0 and wrote nothing"

# 3. A change made by hand shows in --check --diff, which writes nothing.
"$zorctl" --address 127.40.18.2 set location "Storeroom" >/dev/null 2>&1
"$zorctl" --address 127.40.18.2 reboot >/dev/null 2>&1
mark
playbook --check --diff
grep -q 'location.location: Storeroom' "$work/run.txt" && grep -q 'location.location: Boiler room' "$work/run.txt" \
  || { cat "$work/run.txt"; echo "--check --diff did not show the change" >&2; exit 1; }
no_write "the --check run"
sed -n "/TASK \[The unit's location/,/PLAY RECAP/p" "$work/run.txt"
[ "$("$zorctl" --address 127.40.18.2 --json info 2>/dev/null | python3 -c 'import json,sys; print(json.load(sys.stdin)["location"])')" = Storeroom ] \
  || { echo "the --check run changed the location" >&2; exit 1; }
echo "ansible smoke: --check --diff showed the manual change and wrote nothing"

ANSIBLE_LIBRARY="$example/library" ansible-doc -t module zorwifi_unit > "$work/doc.txt" 2>&1 \
  && grep -q 'project_dir' "$work/doc.txt" || { cat "$work/doc.txt"; echo "ansible-doc did not render the module" >&2; exit 1; }
echo "ansible smoke: ansible-doc renders zorwifi_unit"

# A unit that does not answer fails the task with zorctl's reason.
ANSIBLE_LIBRARY="$example/library" ansible localhost -c local -m zorwifi_unit \
  -a "zorctl=$zorctl address=127.40.18.9 location=Nowhere" > "$work/absent.txt" 2>&1 && exit 1
grep -q '"msg": "no connection to 127.40.18.9"' "$work/absent.txt" || { cat "$work/absent.txt"; echo "no reason given" >&2; exit 1; }
echo "ansible smoke: a unit that does not answer fails with the reason"
