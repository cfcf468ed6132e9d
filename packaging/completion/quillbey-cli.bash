# bash completion for quillbey-cli: commands, options, folders for scan and
# verify, files for info, DAT files (.dat, .xml, .zip) after --dat. Installed where bash-completion loads it on first use.

_quillbey_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            scan | info | verify)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $prev in
        --jobs)
            return # a number: nothing to offer
            ;;
        --dat)
            _filedir 'dat|xml|zip'
            return
            ;;
    esac
    $split && return

    local options
    case $command in
        scan)
            options="--json --csv --check --dat --hash -r --recursive --jobs --help"
            ;;
        info)
            options="--json --csv --check --dat --hash --help"
            ;;
        verify)
            options="--json --csv --dat --hash --missing -r --recursive --jobs --help"
            ;;
        *)
            COMPREPLY=($(compgen -W 'scan info verify --help --version' -- "$cur"))
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $command == scan || $command == verify ]]; then
        _filedir -d
    else
        _filedir
    fi
} &&
    complete -F _quillbey_cli quillbey-cli
