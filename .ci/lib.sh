# The prelude of the .ci scripts: the project's top directory as the working
# directory, the program list, and installing what a step needs.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
mapfile -t programs <"$top/programs.list"

# need CHECK:PACKAGE...  installs every package whose check fails: a command
# that is not on the PATH, or a path (starting with /) that does not exist.
need() {
    local missing=() entry check
    for entry in "$@"; do
        check=${entry%%:*}
        if [[ $check == /* ]]; then
            [ -e "$check" ] || missing+=("${entry#*:}")
        else
            command -v "$check" >/dev/null || missing+=("${entry#*:}")
        fi
    done
    [ ${#missing[@]} -eq 0 ] || install_packages "${missing[@]}"
}

install_packages() {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@"
}
