# bash completion for quorvel-shortcuts                         -*- shell-script -*-
# Its two commands, and the names of the user's shortcuts after "run".

_quorvel_shortcuts()
{
    local cur prev words cword
    _init_completion || return

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "run list --help --version" -- "$cur"))
    elif [[ $cword -eq 2 && $prev == run ]]; then
        local IFS=$'\n' name # a name may hold spaces
        for name in $(compgen -W "$("${words[0]}" list 2>/dev/null)" -- "$cur"); do
            COMPREPLY+=("$(printf '%q' "$name")")
        done
    fi
} && complete -F _quorvel_shortcuts quorvel-shortcuts

# ex: filetype=sh
