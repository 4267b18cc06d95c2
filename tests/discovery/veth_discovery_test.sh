#!/bin/sh
# Discovery across a real link. Makes two network namespaces joined by a veth
# pair (10.231.0.1/24 near, 10.231.0.2/24 and 10.231.0.3/24 far), runs a fake
# K4 in the far one and the discovery program in the near one, so that the
# probe to the subnet broadcast 10.231.0.255 really crosses the link. The
# radio answers each probe from 10.231.0.2 and then from 10.231.0.3, so its id
# moves from one address to the other, which the discovery's log must say.
#
#   veth_discovery_test.sh [RUNNER...] PROGRAM
#
# PROGRAM is veth_discover (or veth_discover.exe after a runner such as
# tools/wine-run). The script re-runs itself under unshare -m -n, so the
# namespaces, their mounts and the veth pair exist only inside it and vanish
# with it; nothing touches the host's interfaces. Exit 0 pass, 1 fail,
# 77 skipped.
set -u

if [ "${QBOX_VETH_INNER:-}" != 1 ]; then
  command -v python3 >/dev/null 2>&1 || { echo "SKIP: the fake radio needs python3"; exit 77; }
  command -v ip >/dev/null 2>&1 || { echo "SKIP: needs ip (iproute2)"; exit 77; }
  [ "$(id -u)" = 0 ] && QBOX_VETH_INNER=1 exec unshare -m -n --propagation private sh "$0" "$@"
  # Any other user is root in a user namespace of its own, which cannot
  # write to the host's /run and /tmp: the test gets a tmpfs over each.
  QBOX_VETH_INNER=1 QBOX_VETH_OWN_FOLDERS=1 exec unshare -r -m -n --propagation private sh "$0" "$@"
fi
if [ "${QBOX_VETH_OWN_FOLDERS:-}" = 1 ]; then
  mount -t tmpfs qbox-run /run && mount -t tmpfs qbox-tmp /tmp || { echo "FAIL: cannot mount /run and /tmp"; exit 1; }
fi

near=qbox-near-$$
far=qbox-far-$$
port=9177
radio_id=VETH-K4-01
work=$(mktemp -d)
radio_pid=

cleanup() {
  [ -n "$radio_pid" ] && kill "$radio_pid" 2>/dev/null && wait "$radio_pid" 2>/dev/null
  ip netns del "$near" 2>/dev/null
  ip netns del "$far" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() { echo "FAIL: $*"; [ -f "$work/radio.log" ] && sed 's/^/radio: /' "$work/radio.log"; exit 1; }

# ip netns keeps its handles under /run/netns; a tmpfs of our own there keeps
# them out of the host's view. Wine's server sockets get one too, so a Wine
# program here starts its own server inside the near namespace.
ip link set lo up
mkdir -p /run/netns "/tmp/.wine-$(id -u)"
mount -t tmpfs qbox-netns /run/netns || fail "cannot mount /run/netns"
mount -t tmpfs qbox-wine "/tmp/.wine-$(id -u)" || fail "cannot mount the Wine server folder"

ip netns add "$near" && ip netns add "$far" || fail "cannot create namespaces"
ip link add qv-near type veth peer name qv-far || fail "cannot create the veth pair"
ip link set qv-near netns "$near" && ip link set qv-far netns "$far" || fail "cannot move the veth ends"
ip -n "$near" addr add 10.231.0.1/24 dev qv-near
ip -n "$far" addr add 10.231.0.2/24 dev qv-far
ip -n "$far" addr add 10.231.0.3/24 dev qv-far
for ns in "$near" "$far"; do ip -n "$ns" link set lo up; done
ip -n "$near" link set qv-near up
ip -n "$far" link set qv-far up

# The fake K4: answers every "findk4", then again from its second address,
# and notes each datagram with the address it was sent to.
cat >"$work/radio.py" <<'PY'
import socket, sys
port, answer, second = int(sys.argv[1]), sys.argv[2].encode(), sys.argv[3]
pktinfo = getattr(socket, "IP_PKTINFO", 8)
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.IPPROTO_IP, pktinfo, 1)
s.bind(("0.0.0.0", port))
t = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
t.bind((second, 0))
print("ready", flush=True)
while True:
    data, ancillary, _, sender = s.recvmsg(2048, socket.CMSG_SPACE(12))
    to = "?"
    for level, kind, value in ancillary:
        if level == socket.IPPROTO_IP and kind == pktinfo:
            to = socket.inet_ntoa(value[8:12])
    print("datagram %r to %s from %s" % (data, to, sender[0]), flush=True)
    if data == b"findk4":
        s.sendto(answer, sender)
        t.sendto(answer, sender)
PY
ip netns exec "$far" python3 "$work/radio.py" "$port" "k4:veth-radio:10.231.0.2:$radio_id" 10.231.0.3 \
  >"$work/radio.log" 2>&1 &
radio_pid=$!
for _ in $(seq 50); do grep -q ready "$work/radio.log" && break; sleep 0.1; done
grep -q ready "$work/radio.log" || fail "the fake radio did not start"

# The remote address 10.231.0.2 makes the radio answer twice more; it is
# listed once, at the address of its last answer.
ip netns exec "$near" "$@" "$port" "$radio_id" 10.231.0.3 10.231.0.2 >"$work/near.log" 2>&1
status=$?
sed 's/^/near: /' "$work/near.log"
[ "$status" -eq 0 ] || fail "discovery in the near namespace (exit $status)"
grep -q "datagram b'findk4' to 10.231.0.255 from 10.231.0.1" "$work/radio.log" || fail "no probe at the subnet broadcast"
grep -q "datagram b'findk4' to 10.231.0.2 from 10.231.0.1" "$work/radio.log" || fail "no probe at the remote address"
[ "$(grep -c datagram "$work/radio.log")" -eq 2 ] || fail "other datagrams than the two probes"
grep -q "log: .*Discovery id \"$radio_id\" moved from 10.231.0.2 to 10.231.0.3" "$work/near.log" ||
  fail "the log does not say that the radio's id moved"
sed 's/^/radio: /' "$work/radio.log"
echo "PASS: the radio in the far namespace was found across the veth link"
