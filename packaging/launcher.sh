#!/bin/sh
# Starts TR-GUI in its program directory, the directory above this script's
# real location: the program reads its language files and TR-GUI.ini from the
# current directory. Works wherever the tree is unpacked and through symlinks.
dir=$(dirname "$(dirname "$(readlink -f "$0")")")

# A relative trace file is meant relative to the caller's directory, which the
# program no longer sees once it runs in its own; everything else passes as is.
absolute() {
    case $1 in
        /* | '') printf '%s' "$1" ;;
        *) printf '%s/%s' "$PWD" "$1" ;;
    esac
}
trace_file_next=
options_ended=
for arg do
    shift
    if [ -n "$trace_file_next" ]; then
        arg=$(absolute "$arg")
        trace_file_next=
    elif [ -z "$options_ended" ]; then
        case $arg in
            --) options_ended=1 ;;
            --trace) trace_file_next=1 ;;
            --trace=*) arg=--trace=$(absolute "${arg#--trace=}") ;;
        esac
    fi
    set -- "$@" "$arg"
done

cd "$dir" || exit 1
exec "$dir/tr-gui" "$@"
