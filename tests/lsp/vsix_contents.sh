#!/bin/sh
# Packs the VS Code extension as the velmora_vsix target does, offline, with
# the packages setup.sh's test part installs, and checks that the .vsix is
# one VS Code installs: its manifest and content types, and every file the
# extension's package.json names (the client, the grammar, the language
# configuration), the language server and the npm packages both run on.
# Arguments: the extension's folder, pack_vsix.cmake, the packages' folder
# and the vsce program.
set -eu
source=$1 script=$2 modules=$3 vsce=$4
if [ ! -d "$modules" ] || [ ! -x "$vsce" ]; then
    echo "$modules or $vsce is not installed (setup.sh test installs them)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cmake -DSOURCE="$source" -DWORK="$work/extension" -DOUTPUT="$work/velmora.vsix" \
    -DMODULES="$modules" -DVSCE="$vsce" -P "$script" >"$work/pack.log" 2>&1; then
    cat "$work/pack.log" >&2
    exit 1
fi
python3 - "$work/velmora.vsix" "$source" <<'CHECK'
import json
import os
import sys
import zipfile

extension = sys.argv[2]
vsix = zipfile.ZipFile(sys.argv[1])
names = set(vsix.namelist())
manifest = json.loads(vsix.read("extension/package.json"))


def inside(path):
    return "extension/" + path[2:] if path.startswith("./") else "extension/" + path


needed = ["extension.vsixmanifest", "[Content_Types].xml", inside(manifest["main"])]
needed += [inside(grammar["path"]) for grammar in manifest["contributes"]["grammars"]]
needed += [inside(language["configuration"]) for language in manifest["contributes"]["languages"]]
needed += ["extension/server/" + name for name in os.listdir(os.path.join(extension, "server")) if name.endswith(".js")]
needed += ["extension/node_modules/%s/package.json" % name for name in manifest["dependencies"]]
missing = [name for name in needed if name not in names]
if missing:
    sys.exit("the .vsix lacks: " + ", ".join(missing))
for name, version in manifest["dependencies"].items():
    packed = json.loads(vsix.read("extension/node_modules/%s/package.json" % name))["version"]
    if packed != version:
        sys.exit("%s %s is packed where package.json names %s: setup.sh installs another" % (name, packed, version))
print("velmora.vsix holds its manifest, the client, the grammar, the server and %d packages"
      % len(manifest["dependencies"]))
CHECK
