# fish completion for pelorinctl

# The command and its arguments typed so far: the words that are neither options nor an
# option's value.
function __pelorinctl_words
    set -l words (commandline -opc)
    set -e words[1]
    set -l skip 0
    for word in $words
        if test $skip -eq 1
            set skip 0
        else if contains -- $word --settings --to --ports --count --secureon --interval --port --path --timeout --save
            set skip 1
        else if not string match -q -- '-*' $word
            echo $word
        end
    end
end

# True when the words so far are exactly these ("*" stands for any word; letter case aside).
function __pelorinctl_at
    set -l words (__pelorinctl_words)
    test (count $words) -eq (count $argv); or return 1
    for i in (seq (count $argv))
        test "$argv[$i]" = '*'; and continue
        test (string lower -- $words[$i]) = (string lower -- $argv[$i]); or return 1
    end
end

# True when the command is one of these.
function __pelorinctl_command
    set -l words (__pelorinctl_words)
    test (count $words) -gt 0; and contains -- $words[1] $argv
end

complete -c pelorinctl -f

# Before the command.
complete -c pelorinctl -n __pelorinctl_at -l settings -r -F -d 'Use this settings file'
complete -c pelorinctl -n __pelorinctl_at -s q -l quiet -d 'No progress lines on standard error'
complete -c pelorinctl -n __pelorinctl_at -l json -d 'Results, and errors, as JSON'
complete -c pelorinctl -n __pelorinctl_at -s h -l help -d 'Show the help'
complete -c pelorinctl -n __pelorinctl_at -s V -l version -d 'Show the version'
complete -c pelorinctl -n __pelorinctl_at -a on -d 'Wake the server and wait until it answers'
complete -c pelorinctl -n __pelorinctl_at -a off -d 'Hibernate the server and wait until it is down'
complete -c pelorinctl -n __pelorinctl_at -a status -d 'Probe the server'
complete -c pelorinctl -n __pelorinctl_at -a watch -d 'Print a line whenever the state changes'
complete -c pelorinctl -n __pelorinctl_at -a macs -d 'Fetch the server\'s MAC addresses'
complete -c pelorinctl -n __pelorinctl_at -a wake -d 'Send the Wake-on-LAN magic packet'
complete -c pelorinctl -n __pelorinctl_at -a discover -d 'Find servers in IPv4 networks'
complete -c pelorinctl -n __pelorinctl_at -a config -d 'Read and write the settings'
complete -c pelorinctl -n __pelorinctl_at -a help -d 'What pelorinctl or a command does'

# The options every command takes.
set -l any 'not __pelorinctl_at'
complete -c pelorinctl -n $any -l json -d 'The result, or the error, as one JSON object'
complete -c pelorinctl -n $any -s q -l quiet -d 'No progress lines on standard error'
complete -c pelorinctl -n $any -s h -l help -d 'Show the help'

# Each command's own.
complete -c pelorinctl -n '__pelorinctl_command on wake' -l ports -x -d 'UDP ports, comma-separated'
complete -c pelorinctl -n '__pelorinctl_command on wake' -l count -x -d 'Rounds of datagrams'
complete -c pelorinctl -n '__pelorinctl_command on wake' -l secureon -x -d 'SecureOn password'
complete -c pelorinctl -n '__pelorinctl_command wake' -l to -x -a '(__fish_print_hostnames)' -d 'Server address'
complete -c pelorinctl -n '__pelorinctl_command watch' -l interval -x -d 'Seconds between two looks'
complete -c pelorinctl -n '__pelorinctl_command discover' -l port -x -d 'TCP port of the server page'
complete -c pelorinctl -n '__pelorinctl_command discover' -l path -x -d 'Path of the server URL'
complete -c pelorinctl -n '__pelorinctl_command discover' -l timeout -x -d 'Milliseconds per address'
complete -c pelorinctl -n '__pelorinctl_command discover' -l save -x -d 'Store the N-th server found'
complete -c pelorinctl -n '__pelorinctl_command discover' -l local -d 'Scan this machine\'s own networks'
complete -c pelorinctl -n '__pelorinctl_at help' -a 'on off status watch macs wake discover config help'

# config ACTION SECTION KEY
complete -c pelorinctl -n '__pelorinctl_at config' -a get -d 'Print one setting'
complete -c pelorinctl -n '__pelorinctl_at config' -a set -d 'Store one setting'
complete -c pelorinctl -n '__pelorinctl_at config' -a list -d 'Print every setting'
complete -c pelorinctl -n '__pelorinctl_at config set; or __pelorinctl_at config set "*" "*"' -l password-stdin -d 'Read the password from standard input'
complete -c pelorinctl -n '__pelorinctl_at config list' -l show-secrets -d 'Show the password instead of ********'
for action in get set
    complete -c pelorinctl -n "__pelorinctl_at config $action" -a 'Pos Form Server'
    complete -c pelorinctl -n "__pelorinctl_at config $action pos" -a 'Main_Top Main_Left Setting_Top Setting_Left Mac_Top Mac_Left Button_Top Button_Left'
    complete -c pelorinctl -n "__pelorinctl_at config $action form" -a Show
    complete -c pelorinctl -n "__pelorinctl_at config $action server" -a 'URL UserName Password Address Mac Mac-1 Mac-2 Mac-3 Mac-4 Mac-5'
end
