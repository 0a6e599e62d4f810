# bash completion for mugwarp-cli                          -*- shell-script -*-
# Command, action and option names are asked of mugwarp-cli itself, so they
# are always those of the installed program.

_mugwarp_cli_words()
{
    local cur=$1
    shift
    local IFS=$'\n'
    COMPREPLY=($(compgen -W "$*" -- "$cur"))
}

_mugwarp_cli()
{
    local cli=${COMP_WORDS[0]} cword=$COMP_CWORD
    local cur=${COMP_WORDS[cword]}
    COMPREPLY=()

    if ((cword == 1)); then
        _mugwarp_cli_words "$cur" "$("$cli" --list-commands 2>/dev/null)" --help --version
        return
    fi
    local command=${COMP_WORDS[1]} prev=${COMP_WORDS[cword - 1]}
    case $command in
        help)
            ((cword == 2)) && _mugwarp_cli_words "$cur" "$("$cli" --list-commands 2>/dev/null)"
            return
            ;;
        filter-settings)
            if [[ $prev == filter-settings || ($prev != --plugins && ${COMP_WORDS[cword - 2]} == --plugins) ]]; then
                [[ $cur != -* ]] && _mugwarp_cli_words "$cur" list export import
                [[ $cur == -* ]] && _mugwarp_cli_words "$cur" --plugins
                return
            fi
            ;;
        filters)
            if [[ $cur == -* ]]; then
                _mugwarp_cli_words "$cur" --verbose --plugins
            else
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -d -- "$cur"))
            fi
            return
            ;;
    esac
    case $prev in
        --plugins)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        --out)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "jpg png webp bmp gif pdf mugwarp" -- "$cur"))
            return
            ;;
        --size | --effect | --filter-timeout | --jobs)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        # The options are those the command's help names.
        _mugwarp_cli_words "$cur" "$("$cli" help "$command" 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)"
        return
    fi

    # After the files IN and OUT, edit takes actions; batch after "--".
    local i files=0 plugins= actions=
    for ((i = 2; i < cword; i++)); do
        case ${COMP_WORDS[i]} in
            --plugins) plugins=${COMP_WORDS[i + 1]}; ((i++)) ;;
            --) actions=yes ;;
            --size | --effect | --filter-timeout | --out | --format | --jobs) ((i++)) ;;
            -*) ;;
            :) ((i++)) ;;  # a colon and the word after it belong to the action before
            *) ((files++)) ;;
        esac
    done
    [[ ($command == edit || $command == warp) && $files -ge 2 ]] && actions=yes
    if [[ $actions ]]; then
        # Bash splits "filter:NAME" at the colon into three words.
        local before=${COMP_WORDS[cword - 2]}
        if [[ ($cur == : && $prev == filter) || ($prev == : && $before == filter) ]]; then
            # Filter names hold spaces: offer them escaped.
            local typed=${cur#:} name IFS=$'\n'
            typed=${typed//\\/}
            for name in $("$cli" filters ${plugins:+"$plugins"} 2>/dev/null | cut -f1,2 --output-delimiter=/ | sort -u); do
                [[ $name == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
            done
            return
        fi
        if [[ $cur != : && $prev != : ]]; then
            _mugwarp_cli_words "$cur" "$("$cli" --list-actions 2>/dev/null)"
            [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *: ]] && compopt -o nospace 2>/dev/null
        fi
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _mugwarp_cli mugwarp-cli
