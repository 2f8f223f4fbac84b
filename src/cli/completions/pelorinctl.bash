# bash completion for pelorinctl                                    -*- shell-script -*-

_pelorinctl() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="on off status watch macs wake config"
    local global="--settings --quiet --json --help --version"

    case $prev in
        --settings)
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --to | --ports | --count | --secureon | --interval)
            return
            ;;
    esac

    # The command is the first word that is neither an option nor the value of --settings.
    local i command= position=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        local word=${COMP_WORDS[i]}
        if [[ -n $command ]]; then
            [[ $word != -* && ${COMP_WORDS[i - 1]} != --@(to|ports|count|secureon|interval) ]] &&
                ((position++))
        elif [[ $word == --settings ]]; then
            ((i++))
        elif [[ $word != -* ]]; then
            command=$word
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$global" -- "$cur"))
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
        config) options+=" --password-stdin" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    if [[ $command == config ]]; then
        case $position in
            0) COMPREPLY=($(compgen -W "get set list" -- "$cur")) ;;
            1) COMPREPLY=($(compgen -W "Pos Form Server" -- "$cur")) ;;
            2)
                local keys=
                local action=${COMP_WORDS[COMP_CWORD - 2]} section=${COMP_WORDS[COMP_CWORD - 1]}
                [[ $action == list ]] && return
                case ${section,,} in
                    pos) keys="Main_Top Main_Left Setting_Top Setting_Left Mac_Top Mac_Left Button_Top Button_Left" ;;
                    form) keys="Show" ;;
                    server) keys="URL UserName Password Address Mac Mac-1 Mac-2 Mac-3 Mac-4 Mac-5" ;;
                esac
                COMPREPLY=($(compgen -W "$keys" -- "$cur"))
                ;;
        esac
    fi
} &&
    complete -F _pelorinctl pelorinctl
