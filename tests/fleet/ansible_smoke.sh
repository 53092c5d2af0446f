#!/bin/sh
# Runs the Ansible example of docs/fleet.md against three simulated units on loopback.
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

for n in 1 2 3; do
  "$zorsim" --address 127.18.0.$n --quiet &
  pids="$pids $!"
done
for n in 1 2 3; do
  tries=0
  until "$zorctl" --address 127.18.0.$n info >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || { echo "unit 127.18.0.$n did not start" >&2; exit 1; }
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
ansible-playbook -i "$example/inventory.ini" "$example/site.yml" \
  -e zorctl="$zorctl" -e project_dir="$project" -e backup_dir="$work/backups"

count=$(ls "$work/backups" | wc -l)
[ "$count" -eq 3 ] || { echo "expected 3 backups, found $count" >&2; exit 1; }
echo "ansible smoke: the playbook commissioned 3 units"
