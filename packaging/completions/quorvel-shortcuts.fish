# fish completion for quorvel-shortcuts: its two commands, and the user's shortcuts after "run".
complete -c quorvel-shortcuts -f
complete -c quorvel-shortcuts -n __fish_use_subcommand -a run -d 'Run a shortcut'
complete -c quorvel-shortcuts -n __fish_use_subcommand -a list -d 'List the shortcuts'
complete -c quorvel-shortcuts -n __fish_use_subcommand -l help -d 'Show the usage'
complete -c quorvel-shortcuts -n __fish_use_subcommand -l version -d 'Show the version'
complete -c quorvel-shortcuts -n '__fish_seen_subcommand_from run; and test (count (commandline -opc)) -eq 2' \
    -a '(quorvel-shortcuts list 2>/dev/null)' -d Shortcut
