# bash completion for pelorinctl                                    -*- shell-script -*-

_pelorinctl() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="on off status watch macs wake discover config help"

    case $prev in
        --settings)
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --to | --ports | --count | --secureon | --interval | --port | --path | --timeout | --save)
            return
            ;;
    esac

    # The command is the first word that is neither an option nor an option's value; the words
    # after it that are neither are its arguments.
    local i word command= arguments=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --settings | --to | --ports | --count | --secureon | --interval | --port | --path | \
                --timeout | --save)
                ((i++))
                ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then
                    command=$word
                else
                    arguments+=("$word")
                fi
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--settings --quiet --json --help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options="--json --quiet --help"
    case $command in
        on) options+=" --ports --count --secureon" ;;
        wake) options+=" --to --ports --count --secureon" ;;
        watch) options+=" --interval" ;;
        discover) options+=" --port --path --timeout --save --local" ;;
        config)
            case ${arguments[0]} in
                set) options+=" --password-stdin" ;;
                list) options+=" --show-secrets" ;;
            esac
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    local words=
    case $command in
        help)
            ((${#arguments[@]} == 0)) && words=$commands
            ;;
        config)
            case ${#arguments[@]},${arguments[0]} in
                0,*) words="get set list" ;;
                1,get | 1,set) words="Pos Form Server" ;;
                2,get | 2,set)
                    case ${arguments[1],,} in
                        pos) words="Main_Top Main_Left Setting_Top Setting_Left Mac_Top Mac_Left Button_Top Button_Left" ;;
                        form) words="Show" ;;
                        server) words="URL UserName Password Address Mac Mac-1 Mac-2 Mac-3 Mac-4 Mac-5" ;;
                    esac
                    ;;
            esac
            ;;
    esac
    if [[ -n $words ]]; then
        COMPREPLY=($(compgen -W "$words" -- "$cur"))
    fi
} &&
    complete -F _pelorinctl pelorinctl
