# bash completion for stockreports: commands, options, report names, each report's parameter
# names (-p) and --definition values. The program answers from its own command line and
# report definitions (stockreports __complete), so new commands and reports need nothing here.

_stockreports() {
    local program=${COMP_WORDS[0]}
    command -v "$program" >/dev/null 2>&1 || program=stockreports
    local cur=${COMP_WORDS[COMP_CWORD]}
    local answer
    answer=$("$program" __complete "$COMP_CWORD" "${COMP_WORDS[@]}" 2>/dev/null) || return 0
    local IFS=$'\n'
    case $answer in
        @arquivos)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur")) ;;
        @pastas)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur")) ;;
        *)
            COMPREPLY=($(compgen -W "$answer" -- "$cur"))
            # a parameter name ends with '=': the value follows without a blank
            if [[ ${#COMPREPLY[@]} -gt 0 && ${COMPREPLY[0]} == *= ]]; then
                compopt -o nospace 2>/dev/null
            fi ;;
    esac
}
complete -F _stockreports stockreports
