#!/usr/bin/env bash
# The bash completion against the tool's own command table, as its --help prints it: every
# command, every option, what each option's value and each argument completes to.
#   bash tools/completion-test.sh TOOL COMPLETION_FILE
set -uo pipefail
tool=$1
source "$2" || { echo "FAIL: the completion file does not load" >&2; exit 1; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

registered=$(complete -p tavlo-ii-cli) || { echo "FAIL: no completion for tavlo-ii-cli" >&2; exit 1; }
function=$(sed -n 's/.*-F \([^ ]*\) .*/\1/p' <<<"$registered")

# What bash offers for the command line "$@", the last word being the one completed; sorted.
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function"
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() { # expect WANTED WORDS...: the offer for WORDS is exactly WANTED (one per line)
  local wanted got
  wanted=$(sort <<<"$1" | sed '/^$/d')
  shift
  got=$(offered "$@")
  [ "$got" = "$wanted" ] || fail "$* offers [$(echo $got)], not [$(echo $wanted)]"
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && mkdir mappe -- -mappe && touch fil.txt

# The commands of the tool's usage, and the words a first argument may be.
commands=$("$tool" --help | sed -n 's/^ *\(usage: \)\{0,1\}tavlo-ii-cli \([a-z-]*\).*/\2/p' | grep -v '^-')
[ "$(wc -l <<<"$commands")" -ge 12 ] || fail "the tool's usage lists too few commands: $commands"
expect "$commands
--help
--version" tavlo-ii-cli ""

columns=$("$tool" list --help | sed -n '/^Kolonner/,/^$/s/^  \([A-Z_]*\) .*/\1/p')
# The first argument of each command, by the usage's word for it.
first_argument() {
  case $("$tool" "$1" --help | sed -n '1s/^usage: tavlo-ii-cli [a-z-]* \([^ ]*\).*/\1/p') in
    FOLDER) printf -- '-mappe\nmappe\n' ;;
    add) printf 'add\nlist\nremove\n' ;;
    *) ;;
  esac
}

for command in $commands; do
  help=$("$tool" "$command" --help) || fail "$command --help"
  options=$(sed -n '/^Valg:/,/^[^ ]/s/^  \(--[a-z0-9-]*\).*/\1/p' <<<"$help")
  expect "$options
--help
--version" tavlo-ii-cli "$command" --
  # Each option: a value completes by its kind; after a flag comes the first argument.
  while read -r option value; do
    [ -n "$option" ] || continue
    case $value in
      "") wanted=$(first_argument "$command") ;;
      *.*) wanted=$'-mappe\nfil.txt\nmappe' ;;
      KOLONNE) wanted=$columns ;;
      FORMAT) wanted=$'csv\ntxt' ;;
      *) wanted= ;;
    esac
    expect "$wanted" tavlo-ii-cli "$command" "$option" ""
  done < <(sed -n '/^Valg:/,/^[^ ]/s/^  \(--[a-z0-9-]*\)\( [^ ]*\)\{0,1\}$/\1\2/p' <<<"$help")
done

# Arguments: folders as folders, files as files, the user's subcommands; --sort's columns in
# either spelling; after --, a word that begins with - is an argument.
expect "$(printf '%s\n' "$columns" | grep '^N')" tavlo-ii-cli list --sort N
expect "$(printf '%s\n' "$columns" | grep '^N')" tavlo-ii-cli list --sort = N
expect "mappe" tavlo-ii-cli list m
expect $'fil.txt' tavlo-ii-cli export mappe f
expect $'fil.txt' tavlo-ii-cli report mappe 1 --pdf = f
expect "mappe" tavlo-ii-cli user list m
expect "mappe" tavlo-ii-cli list --sort NAMN --ascending m
expect $'fil.txt' tavlo-ii-cli export - f
expect "" tavlo-ii-cli report mappe ""
expect "-mappe" tavlo-ii-cli list -- -
expect $'--header\n--help' tavlo-ii-cli list mappe --he

[ "$failures" -eq 0 ] || exit 1
echo "bash completion matches the tool's commands and options"
