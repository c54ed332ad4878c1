# Bash completion for korvel-cli and korvel-boardsim: operations, options and their values.
# Installed under each program's name; whichever of the two is loaded first serves both.

_korvel_devices='24C00 24C01 24C02 24C04 24C08 24C16 24C32 24C64 24C128 24C256'

# Sets `cur` to the word being completed and `option` to the option before it, if any. Bash
# splits "--chip=24C0" at the equals sign into "--chip", "=" and "24C0".
_korvel_word() {
    cur=${COMP_WORDS[COMP_CWORD]}
    option=
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ $cur == = ]]; then
        option=$prev
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $prev == -* ]]; then
        option=$prev
    fi
}

# Adds the words of $1 that begin with $2.
_korvel_reply_words() {
    local IFS=$' \t\n'
    COMPREPLY+=($(compgen -W "$1" -- "$2"))
}

# Adds the files and directories whose names begin with `cur`.
_korvel_reply_files() {
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -f -- "$cur"))
}

_korvel_cli() {
    local cur option
    COMPREPLY=()
    _korvel_word
    case $option in
    -p | --port)
        # A port number, or a device path.
        _korvel_reply_words '1 2 3 4' "$cur"
        [[ $cur == */* ]] && _korvel_reply_files
        return
        ;;
    -d | --device)
        _korvel_reply_words "$_korvel_devices" "${cur^^}"
        return
        ;;
    -i | --in | -o | --out)
        _korvel_reply_files
        return
        ;;
    -f | --format)
        _korvel_reply_words 'raw ihex srec' "$cur"
        return
        ;;
    --chip-address)
        _korvel_reply_words '0 1 2 3 4 5 6 7' "$cur"
        return
        ;;
    --serial-bytes)
        _korvel_reply_words '1 2 3 4 5 6 7 8' "$cur"
        return
        ;;
    --start | --length | --serial-at | --serial-start)
        return # a number: nothing to offer
        ;;
    esac
    if [[ $cur == -* ]]; then
        _korvel_reply_words '-p --port -d --device -i --in -o --out -f --format
            --original-protocol --slow-bus --start --length --chip-address --changed --repeat
            --yes --serial-at --serial-start --serial-bytes -h --help -V --version' "$cur"
    else
        _korvel_reply_words 'detect read verify compare blank erase write probe list ports
            sum' "$cur"
    fi
}

_korvel_boardsim() {
    local cur option
    COMPREPLY=()
    _korvel_word
    case $option in
    -c | --chip)
        _korvel_reply_words "$_korvel_devices" "${cur^^}"
        return
        ;;
    -l | --link | -i | --image | -d | --dump | -t | --trace)
        _korvel_reply_files
        return
        ;;
    --chip-address)
        _korvel_reply_words '0 1 2 3 4 5 6 7' "$cur"
        return
        ;;
    -a | --board-version | --latency-ms | --silent-after | --bad-reply-at | --short-version | \
        --delay-ms | --flood-after | --flood-ms | --chaos | --endless-cycle-at | --flip-every | \
        --seed)
        return # a text or a number: nothing to offer
        ;;
    esac
    _korvel_reply_words '-l --link -c --chip --chip-address -a --board-version --open-board
        -i --image -d --dump
        -t --trace --pace --latency-ms --silent-after --bad-reply-at --short-version --delay-ms
        --flood-after --flood-ms --chaos --no-chip --endless-cycle-at --flip-every --seed
        -h --help -V --version' "$cur"
}

complete -F _korvel_cli korvel-cli
complete -F _korvel_boardsim korvel-boardsim
