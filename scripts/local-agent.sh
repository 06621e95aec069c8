# A local SNMP agent for trying Travimetra on the machine it runs on: net-snmp's
# snmpd bound to one loopback address only, read-only community "vandor",
# showing nothing but the system group and this machine's own interfaces.
# It takes 127.0.0.1, or 127.0.0.2 when the machine's own agent holds
# 127.0.0.1 (installing Debian's snmpd starts one there, which shows the
# system group only); TRAVIMETRA_AGENT_ADDRESS names one address instead.
# Source it after common.sh, do not run it.
# shellcheck shell=bash

AGENT_ADDRESSES="${TRAVIMETRA_AGENT_ADDRESS:-127.0.0.1 127.0.0.2}"
AGENT_ADDRESS=""
AGENT_COMMUNITY=vandor
AGENT_DIR=""

# True when an agent answers on the address with our community.
agent_answers() {
    snmpget -v1 -c "$AGENT_COMMUNITY" -t 1 -r 0 -On "$AGENT_ADDRESS" 1.3.6.1.2.1.1.3.0 \
        >/dev/null 2>&1
}

# Starts the agent unless one answers already; sets AGENT_ADDRESS to the
# address to use and AGENT_DIR when it started an agent.
start_local_agent() {
    local candidate
    for candidate in $AGENT_ADDRESSES; do
        AGENT_ADDRESS="$candidate"
        if agent_answers; then
            echo "An SNMP agent already answers on $AGENT_ADDRESS with the community" \
                 "\"$AGENT_COMMUNITY\"; use that address."
            return 0
        fi
        if ss -Hlun 'sport = :161' 2>/dev/null | grep -qE '(0\.0\.0\.0|\*|\[::\]):161'; then
            echo "UDP port 161 is taken on every address by an SNMP agent of this machine" \
                 "that does not answer the community \"$AGENT_COMMUNITY\"; not starting" \
                 "another one."
            AGENT_ADDRESS=""
            return 0
        fi
        if ss -Hlun "src $AGENT_ADDRESS:161" 2>/dev/null | grep -q .; then
            echo "UDP port 161 on $AGENT_ADDRESS is taken by an agent that does not answer" \
                 "the community \"$AGENT_COMMUNITY\"."
            AGENT_ADDRESS=""
            continue
        fi
        break
    done
    if [ -z "$AGENT_ADDRESS" ]; then
        echo "No free loopback address for a local agent; not starting one."
        return 0
    fi
    AGENT_DIR="$(mktemp -d /tmp/travimetra-agent.XXXXXX)"
    chmod 755 "$AGENT_DIR"
    cat >"$AGENT_DIR/snmpd.conf" <<CONF
agentAddress udp:$AGENT_ADDRESS:161
view travimetra included .1.3.6.1.2.1.1
view travimetra included .1.3.6.1.2.1.2
view travimetra included .1.3.6.1.2.1.31
rocommunity $AGENT_COMMUNITY 127.0.0.0/8 -V travimetra
sysName $(hostname)
sysLocation this computer
sysContact $(id -un)
CONF
    local user=()
    if id Debian-snmp >/dev/null 2>&1; then user=(-u Debian-snmp -g Debian-snmp); fi
    # Port 161 needs root to bind; the agent drops to its own user afterwards.
    if [ "$(id -u)" -ne 0 ]; then
        echo "Starting a local SNMP agent on $AGENT_ADDRESS: UDP port 161 needs root, so sudo" \
             "may ask for your password now."
    fi
    as_root env SNMP_PERSISTENT_DIR="$AGENT_DIR" MIBS= snmpd -C -c "$AGENT_DIR/snmpd.conf" \
        -Lf "$AGENT_DIR/snmpd.log" -p "$AGENT_DIR/snmpd.pid" "${user[@]}" -M /nonexistent

    for _ in $(seq 50); do
        agent_answers && break
        sleep 0.1
    done
    if ! agent_answers; then
        echo "The local SNMP agent did not start; see $AGENT_DIR/snmpd.log" >&2
        stop_local_agent
        return 1
    fi
    echo "Started a local SNMP agent: in Travimetra, add the device $AGENT_ADDRESS with the" \
         "read community \"$AGENT_COMMUNITY\"."
}

# Stops the agent that start_local_agent started, if any.
stop_local_agent() {
    [ -n "$AGENT_DIR" ] || return 0
    local pid
    pid="$(cat "$AGENT_DIR/snmpd.pid" 2>/dev/null || true)"
    if [ -n "$pid" ]; then
        as_root kill "$pid" 2>/dev/null || true
        for _ in $(seq 30); do
            as_root kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    as_root rm -rf "$AGENT_DIR"
    AGENT_DIR=""
}
