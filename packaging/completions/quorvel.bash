# bash completion for quorvel                                   -*- shell-script -*-
# Commands, sub-commands and options; the configuration's own words (corners, slots, kinds,
# media commands, tuning names); applications for openApp, the user's shortcuts for
# runShortcut, files for replay, check, --config and --file.

_quorvel_applications()
{
    # Desktop-file IDs: the .desktop files of the XDG data folders, without the suffix.
    local IFS=: dir
    for dir in "${XDG_DATA_HOME:-$HOME/.local/share}" ${XDG_DATA_DIRS:-/usr/local/share:/usr/share}; do
        [[ -d $dir/applications ]] || continue
        compgen -G "$dir/applications/*.desktop"
    done | sed 's|.*/||; s|\.desktop$||' | sort -u
}

# The user's shortcuts (`quorvel-shortcuts list`), one a line; a name may hold spaces.
_quorvel_shortcut_names()
{
    local IFS=$'\n' name
    for name in $(compgen -W "$(quorvel-shortcuts list 2>/dev/null)" -- "$1"); do
        COMPREPLY+=("$(printf '%q' "$name")")
    done
}

_quorvel_config()
{
    local cur=$1 prev=$2
    shift 2
    local words=("$@") # the words after "config", up to the one being completed
    local corners="topLeft topRight bottomLeft bottomRight"
    local slots="doubleTap tripleTap"
    local kinds="openApp openURL switchApps showAppSwitcher nextInputSource showSpotlightSearch media mute
        textSnippet runShortcut"
    local media="playPause nextTrack previousTrack mute volumeUp volumeDown"
    local tuning="cornerZone doubleTapWindow tripleTapWindow maximumTapDuration maximumTapTravel"
    local subcommands="show set unset enable disable tune init edit check path"

    if [[ ${#words[@]} -eq 0 ]]; then
        COMPREPLY=($(compgen -W "$subcommands --help --version" -- "$cur"))
        return
    fi
    if [[ $cur == -* ]]; then
        local options="--help --version"
        case ${words[0]} in
            show) options+=" --json" ;;
            set | unset | enable | disable | tune) options+=" --force" ;;
        esac
        [[ ${words[0]} == tune ]] && options+=" --reset"
        [[ ${words[0]} == set && ${words[3]-} == textSnippet ]] && options+=" --file"
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # Positional arguments of the sub-command, options left out.
    local args=() word
    for word in "${words[@]:1}"; do
        [[ $word == --* ]] || args+=("$word")
    done
    local n=${#args[@]}
    case ${words[0]} in
        set)
            case $n in
                0) COMPREPLY=($(compgen -W "$corners" -- "$cur")) ;;
                1) COMPREPLY=($(compgen -W "$slots" -- "$cur")) ;;
                2) COMPREPLY=($(compgen -W "$kinds" -- "$cur")) ;;
                3)
                    case ${args[2]} in
                        openApp) COMPREPLY=($(compgen -W "$(_quorvel_applications)" -- "$cur")) ;;
                        media) COMPREPLY=($(compgen -W "$media" -- "$cur")) ;;
                        runShortcut) _quorvel_shortcut_names "$cur" ;;
                        textSnippet)
                            if [[ $prev == --file ]]; then
                                _filedir
                            else
                                COMPREPLY=($(compgen -W "- --file" -- "$cur"))
                            fi
                            ;;
                    esac
                    ;;
            esac
            ;;
        unset | enable | disable)
            case $n in
                0) COMPREPLY=($(compgen -W "$corners" -- "$cur")) ;;
                1) COMPREPLY=($(compgen -W "$slots" -- "$cur")) ;;
            esac
            ;;
        tune)
            [[ $n -eq 0 ]] && COMPREPLY=($(compgen -W "$tuning --reset" -- "$cur"))
            ;;
        check)
            [[ $n -eq 0 ]] && _filedir
            ;;
    esac
}

_quorvel()
{
    local cur prev words cword
    _init_completion || return

    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "devices replay watch config status doctor --help --version" -- "$cur"))
        return
    fi
    case ${words[1]} in
        config)
            _quorvel_config "$cur" "$prev" "${words[@]:2:cword-2}"
            return
            ;;
    esac
    if [[ $prev == --config ]]; then
        _filedir
        return
    fi
    case ${words[1]} in
        devices) COMPREPLY=($(compgen -W "--all --help --version" -- "$cur")) ;;
        replay)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--config --verbose --help --version" -- "$cur"))
            else
                _filedir
            fi
            ;;
        watch) COMPREPLY=($(compgen -W "--config --help --version" -- "$cur")) ;;
        status) COMPREPLY=($(compgen -W "--json --follow --help --version" -- "$cur")) ;;
        doctor) COMPREPLY=($(compgen -W "--help --version" -- "$cur")) ;;
    esac
} && complete -F _quorvel quorvel

# ex: filetype=sh
