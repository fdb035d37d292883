# fish completion for tarnwick. Org names come from `tarnwick --list` (the CLI's own files: no sf
# runs) with each username beside them, targets from `tarnwick --targets` with their labels.

# The first two fields of each line that the program prints for the option.
function __tarnwick_pairs --argument-names option
    set -l program (commandline -opc)[1]
    command $program $option 2>/dev/null | while read -l --delimiter \t name detail rest
        printf '%s\t%s\n' "$name" "$detail"
    end
end

complete -c tarnwick -f
complete -c tarnwick -l open -x -d 'Open an org as the window would, without a window' -a '(__tarnwick_pairs --list)'
complete -c tarnwick -l in -x -d 'With --open: the target to open it in' -a '(__tarnwick_pairs --targets)'
complete -c tarnwick -l private -d 'With --open: in a private window'
complete -c tarnwick -l page -x -d 'With --open: the page to start on' -a '@PAGES@'
complete -c tarnwick -l targets -d 'List the targets an org can open in and exit'
complete -c tarnwick -l list -d 'List the orgs and exit'
complete -c tarnwick -l json -d 'With --list: as a JSON array'
complete -c tarnwick -l filter -x -d 'Open the window with this text in its filter'
complete -c tarnwick -l completion -x -d 'Print the completion script for a shell and exit' -a 'bash zsh fish'
complete -c tarnwick -l self-test -d 'List the orgs through sf, print one result line and exit'
complete -c tarnwick -s h -l help -d 'Show the help and exit'
complete -c tarnwick -l version -d 'Show the version and exit'
