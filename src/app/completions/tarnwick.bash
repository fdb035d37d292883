# bash completion for tarnwick. Org names come from `tarnwick --list` (the CLI's own files: no sf
# runs), targets from `tarnwick --targets`; the shell quotes each as the program printed it.

# The first field of each line that PROGRAM OPTION prints, where it begins with PREFIX.
_tarnwick_first_fields() {
    local name rest
    while IFS=$'\t' read -r name rest; do
        [[ $name == "$3"* ]] && COMPREPLY+=("$name")
    done < <("$1" "$2" 2>/dev/null)
}

# The word being typed as the shell will read it, its quotes and backslashes taken away.
_tarnwick_dequote() {
    local word=$1 quote= c i
    REPLY=
    for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        if [[ $quote == "'" ]]; then
            if [[ $c == "'" ]]; then quote=; else REPLY+=$c; fi
        elif [[ $c == '\' ]]; then
            # Within double quotes a backslash escapes only these.
            [[ $quote == '"' && ${word:i+1:1} != [\$\`\"\\] ]] && REPLY+=$c
            ((i++))
            REPLY+=${word:i:1}
        elif [[ $c == '"' ]]; then
            if [[ $quote ]]; then quote=; else quote=$c; fi
        elif [[ $c == "'" && -z $quote ]]; then
            quote=$c
        else
            REPLY+=$c
        fi
    done
}

_tarnwick() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} program=${COMP_WORDS[0]} joined=
    program=${program/#\~\//$HOME/}
    # "--open=ac": one word, or three where "=" breaks words.
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*} joined=${cur%%=*}= cur=${cur#*=}
    elif [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = && $COMP_CWORD -gt 1 ]]; then
        prev=${COMP_WORDS[COMP_CWORD-2]}
    fi
    _tarnwick_dequote "$cur"
    local word=$REPLY
    COMPREPLY=()
    case $prev in
        --open | --in)
            local option=--list
            [[ $prev == --in ]] && option=--targets
            _tarnwick_first_fields "$program" "$option" "$word"
            if [[ $joined ]]; then
                local i
                for i in "${!COMPREPLY[@]}"; do COMPREPLY[i]=$joined$(printf %q "${COMPREPLY[i]}"); done
            else
                # The shell quotes what it inserts (spaces, quotes) as it does for file names.
                compopt -o filenames
            fi
            return ;;
        --page) mapfile -t COMPREPLY < <(compgen -P "$joined" -W "@PAGES@" -- "$word"); return ;;
        --completion) mapfile -t COMPREPLY < <(compgen -P "$joined" -W "bash zsh fish" -- "$word"); return ;;
        --filter) return ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "--open --in --private --page --targets --list --json --filter --completion
        --self-test --help --version" -- "$word")
}

complete -F _tarnwick tarnwick
