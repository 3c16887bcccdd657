#!/usr/bin/env bash
# Measures block upload and ranged download of the local cloud service over
# loopback with the curl command line, the way the client moves content:
# 2 MiB blocks (multipart, per-block MD5) and 409,600-byte ranges.
# Usage: devserver/measure-transfers.sh [MiB]   (default 256; needs build/bin/dorv-devserver)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mib=${1:-256}
work=$(mktemp -d)
server_pid=
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cd "$work"

"$top/build/bin/dorv-devserver" --data "$work/data" --user m@example.com:pw > port.txt &
server_pid=$!
while [ ! -s port.txt ]; do sleep 0.1; done
base="http://127.0.0.1:$(head -1 port.txt)"
json() { python3 -c "import json,sys; v=json.load(sys.stdin)
for k in sys.argv[1].split('.'): v=v[k]
print(v)" "$1"; }

size=$((mib * 1048576))
head -c "$size" /dev/urandom > content.bin
split -b 2097152 -d -a 4 content.bin blk.
signin=$(curl -s -X POST "$base/app/service/?op=APP_AUTHEN" \
  -d "{\"account\":\"m@example.com\",\"pwd\":\"$(printf pw | md5sum | cut -c1-32)\"}")
sid=$(echo "$signin" | json result.sid)
uid=$(echo "$signin" | json result.userId)
md5=$(md5sum content.bin | cut -c1-32)
fid=$(curl -s -X POST "$base/fs/service/?op=createFile&id=-1&userId=$uid" -H "Authorization: $sid" \
  -d "{\"file\":{\"parentId\":-1,\"fileName\":\"m.bin\",\"doc\":{\"md5\":\"$md5\",\"size\":$size}}}" | json result.id)
token=$(curl -s -X POST "$base/fs/service/?op=uploadFileControl&id=$fid&userId=$uid" -H "Authorization: $sid" \
  -d "{\"file\":{\"id\":$fid}}")
url="$base/dfs/service/?op=uploadFile&userId=$uid&file=$(echo "$token" | json result.token.docURL)"
ctx=$(echo "$token" | json result.token.context)

# One curl process, one connection reused for every block.
offset=0
for block in blk.*; do
  [ "$offset" -gt 0 ] && echo next >> up.cfg
  length=$(stat -c %s "$block")
  cat >> up.cfg <<CFG
url = "$url"
header = "Authorization: $ctx"
form = "dataDescriptor={\\"file\\":{\\"offset\\":$offset,\\"length\\":$length,\\"checkSumType\\":17,\\"checkSumValue\\":\\"$(md5sum "$block" | cut -c1-32)\\"},\\"dataSize\\":$length}"
form = "dataBlocks=@$block"
silent
output = /dev/null
CFG
  offset=$((offset + length))
done
start=$(date +%s.%N); curl -K up.cfg; end=$(date +%s.%N)
echo "upload:   $mib MiB in $(python3 -c "print(round($end - $start, 2))") s"
curl -s -X POST "$base/fs/service/?op=completeFile&id=$fid&userId=$uid" -H "Authorization: $sid" \
  -d "{\"file\":{\"id\":$fid}}" | json result.type | grep -qx 6

token=$(curl -s "$base/fs/service/?op=downloadFileControl&id=$fid&userId=$uid" -H "Authorization: $sid")
url="$base/dfs/service/?op=downloadFile&userId=$uid&file=$(echo "$token" | json result.token.docURL)"
ctx=$(echo "$token" | json result.token.context)
start=$(date +%s.%N); curl -s -o whole.bin -H "Authorization: $ctx" "$url"; end=$(date +%s.%N)
cmp -s whole.bin content.bin
echo "download: $mib MiB whole in $(python3 -c "print(round($end - $start, 2))") s"
first=0; n=0
while [ "$first" -lt "$size" ]; do
  last=$((first + 409599)); [ "$last" -ge "$size" ] && last=$((size - 1))
  [ "$n" -gt 0 ] && echo next >> down.cfg
  printf 'url = "%s"\nheader = "Authorization: %s"\nheader = "Range: bytes=%d-%d"\nsilent\noutput = "r.%06d"\n' \
    "$url" "$ctx" "$first" "$last" "$n" >> down.cfg
  first=$((last + 1)); n=$((n + 1))
done
start=$(date +%s.%N); curl -K down.cfg; end=$(date +%s.%N)
cat r.* > ranged.bin && cmp -s ranged.bin content.bin
echo "download: $mib MiB in $n ranges in $(python3 -c "print(round($end - $start, 2))") s"
