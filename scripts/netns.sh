# Sourced by the scripts that run something in a private network namespace
# (scripts/test, scripts/demo, scripts/soak, the screenshot scripts and the
# program benchmarks). One place decides how such a namespace is made here:
#
#   root                          unshare --net
#   anyone (Debian 12's default)  unshare --user --map-root-user --net: a user
#                                 namespace of one's own, in which one is root,
#                                 with a network namespace in it
#   sudo without a password       sudo -n -E unshare --net (runs as root)
#
# quorix_netns fills the array netns with that prefix and says how in
# netns_how; it returns 1 (netns empty) when none of them works. Inside, the
# commands are root of the namespace, so "unshare --net", "nsenter --net=…"
# and "ip link add … type veth" work there as for root; "ip netns add" does
# not (it needs /run/netns), and nothing here uses it.
#
# quorix_in_ci is true under CI (CI or QUORIX_CI set and not 0/false), where
# running without a namespace is an error, not a reason to skip.

quorix_netns() {
  netns=()
  netns_how=""
  if [ "$(id -u)" -eq 0 ] && unshare --net true 2>/dev/null; then
    netns=(unshare --net)
    netns_how="as root"
  elif unshare --user --map-root-user --net true 2>/dev/null; then
    netns=(unshare --user --map-root-user --net)
    netns_how="in a user namespace of its own"
  elif command -v sudo >/dev/null 2>&1 && sudo -n -E unshare --net true 2>/dev/null; then
    netns=(sudo -n -E unshare --net)
    netns_how="as root through sudo"
  else
    return 1
  fi
}

quorix_in_ci() {
  local v
  for v in "${CI:-}" "${QUORIX_CI:-}"; do
    case "$v" in
      ""|0|false|no) ;;
      *) return 0 ;;
    esac
  done
  return 1
}
