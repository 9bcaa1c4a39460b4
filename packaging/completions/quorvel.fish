# fish completion for quorvel: commands, sub-commands and options; the configuration's own
# words (corners, slots, kinds, media commands, tuning names); applications for openApp, the
# user's shortcuts for runShortcut, files where a file is read.

set -l commands devices replay watch config status doctor
set -l subcommands show set unset enable disable tune init edit check path
set -l corners topLeft topRight bottomLeft bottomRight
set -l slots doubleTap tripleTap
set -l kinds openApp openURL switchApps showAppSwitcher nextInputSource showSpotlightSearch media mute \
    textSnippet runShortcut
set -l media playPause nextTrack previousTrack mute volumeUp volumeDown
set -l tuning cornerZone doubleTapWindow tripleTapWindow maximumTapDuration maximumTapTravel

# The positional words after "quorvel config SUBCOMMAND", options left out.
function __quorvel_config_args
    set -l words (commandline -opc)
    set -e words[1..3]
    string match -v -- '--*' $words
end

# True when completing the Nth positional word of "quorvel config SUBCOMMAND" (N from 1).
function __quorvel_config_arg -a subcommand n
    set -l words (commandline -opc)
    test (count $words) -ge 3; and test "$words[2]" = config; and test "$words[3]" = $subcommand
    or return 1
    test (count (__quorvel_config_args)) -eq (math $n - 1)
end

# True when completing the argument of "quorvel config set CORNER SLOT KIND".
function __quorvel_config_kind_arg -a kind
    __quorvel_config_arg set 4; or return 1
    set -l args (__quorvel_config_args)
    test "$args[3]" = $kind
end

function __quorvel_applications
    for dir in (string split : -- (set -q XDG_DATA_HOME; and echo $XDG_DATA_HOME; or echo ~/.local/share)) \
            (string split : -- (set -q XDG_DATA_DIRS; and echo $XDG_DATA_DIRS; or echo /usr/local/share:/usr/share))
        for file in $dir/applications/*.desktop
            string replace -r '.*/(.*)\.desktop$' '$1' -- $file
        end
    end | sort -u
end

complete -c quorvel -f
complete -c quorvel -n __fish_use_subcommand -l help -d 'Show the usage'
complete -c quorvel -n __fish_use_subcommand -l version -d 'Show the version'
complete -c quorvel -n __fish_use_subcommand -a devices -d 'List the touchpads and whether the agent can read them'
complete -c quorvel -n __fish_use_subcommand -a replay -d 'Run a recorded touchpad through the tap recogniser'
complete -c quorvel -n __fish_use_subcommand -a watch -d 'Print live touches and gestures, acting on none'
complete -c quorvel -n __fish_use_subcommand -a config -d 'Show, edit and check the configuration'
complete -c quorvel -n __fish_use_subcommand -a status -d 'Ask the running agent for its state'
complete -c quorvel -n __fish_use_subcommand -a doctor -d 'Check what the agent needs on this machine'
complete -c quorvel -n "__fish_seen_subcommand_from $commands" -l help -d 'Show the usage'
complete -c quorvel -n "__fish_seen_subcommand_from $commands" -l version -d 'Show the version'

complete -c quorvel -n '__fish_seen_subcommand_from devices' -l all -d 'List every input device'
complete -c quorvel -n '__fish_seen_subcommand_from replay' -F
complete -c quorvel -n '__fish_seen_subcommand_from replay' -l verbose -d 'Also print the touches'
complete -c quorvel -n '__fish_seen_subcommand_from replay watch' -l config -r -F \
    -d 'Take the tuning of this configuration'
complete -c quorvel -n '__fish_seen_subcommand_from status' -l json -d 'Print JSON for scripts'
complete -c quorvel -n '__fish_seen_subcommand_from status' -l follow -d 'Print one line per gesture until interrupted'

set -l in_config "__fish_seen_subcommand_from config; and not __fish_seen_subcommand_from $subcommands"
complete -c quorvel -n $in_config -a show -d 'Show the configuration in force'
complete -c quorvel -n $in_config -a set -d 'Assign an action to a corner and slot'
complete -c quorvel -n $in_config -a unset -d 'Remove the action of a corner and slot'
complete -c quorvel -n $in_config -a enable -d 'Switch the agent, or one action, on'
complete -c quorvel -n $in_config -a disable -d 'Switch the agent, or one action, off'
complete -c quorvel -n $in_config -a tune -d 'Set a recogniser value'
complete -c quorvel -n $in_config -a init -d 'Write a starter file'
complete -c quorvel -n $in_config -a edit -d 'Edit the file in an editor, checked before it is used'
complete -c quorvel -n $in_config -a check -d 'Check a configuration file as the agent reads it'
complete -c quorvel -n $in_config -a path -d 'Print the path of the configuration file'

complete -c quorvel -n '__fish_seen_subcommand_from config; and __fish_seen_subcommand_from show' -l json \
    -d 'Print the normalised JSON'
set -l editing '__fish_seen_subcommand_from config; and __fish_seen_subcommand_from set unset enable disable tune'
complete -c quorvel -n $editing -l force -d 'Start again from the default when the file is unusable'
complete -c quorvel -n '__quorvel_config_arg check 1' -F

for subcommand in set unset enable disable
    complete -c quorvel -n "__quorvel_config_arg $subcommand 1" -a "$corners" -d Corner
    complete -c quorvel -n "__quorvel_config_arg $subcommand 2" -a "$slots" -d Slot
end
complete -c quorvel -n '__quorvel_config_arg set 3' -a "$kinds" -d Kind
complete -c quorvel -n '__quorvel_config_kind_arg openApp' -a '(__quorvel_applications)' -d Application
complete -c quorvel -n '__quorvel_config_kind_arg media' -a "$media" -d 'Media command'
complete -c quorvel -n '__quorvel_config_kind_arg runShortcut' -a '(quorvel-shortcuts list 2>/dev/null)' \
    -d Shortcut
complete -c quorvel -n '__quorvel_config_kind_arg textSnippet' -a - \
    -d 'Read the text from standard input'
complete -c quorvel -n '__quorvel_config_kind_arg textSnippet' -l file -r -F -d 'Read the text from a file'

complete -c quorvel -n '__quorvel_config_arg tune 1' -a "$tuning" -d 'Recogniser value'
complete -c quorvel -n '__quorvel_config_arg tune 1' -l reset -d 'Back to the default tuning'
