#!/bin/sh
# The baseline of the update benchmark: fetch every file of a list with curl,
# check it with sha1sum and copy it into place.
# Usage: fetch_with_curl.sh <list> <base url> <temp folder> <install folder>
# Each list line: <sha1> <relative path>
set -eu
list=$1; base=$2; tmp=$3; dest=$4
while read -r digest path; do
    curl -sf --connect-timeout 15 -o "$tmp/$digest" "$base/store/cached/$digest"
    echo "$digest  $tmp/$digest" | sha1sum -c --quiet -
    mkdir -p "$dest/$(dirname "$path")"
    cp "$tmp/$digest" "$dest/$path"
done < "$list"
