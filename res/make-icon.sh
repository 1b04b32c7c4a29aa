#!/usr/bin/env bash
# Draws icon 128 (a monitor showing a landscape) into res/Mirelka.ico, each size drawn on
# its own pixel grid so the small ones stay crisp: 48, 32, 24 and 16 pixels.
set -euo pipefail
cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT

draw() {
    local n="$1"
    # Coordinates on a 48-unit grid, scaled to n pixels and rounded.
    s() { awk -v v="$1" -v n="${n}" 'BEGIN { printf "%d", v * n / 48 + 0.5 }'; }
    convert -size "${n}x${n}" xc:none +antialias \
        -fill '#1f4e8c' -draw "rectangle $(s 2),$(s 5) $(s 45),$(s 35)" \
        -fill '#9fd3f5' -draw "rectangle $(s 6),$(s 9) $(s 41),$(s 31)" \
        -fill '#f2c230' -draw "polygon $(s 9),$(s 29) $(s 19),$(s 16) $(s 26),$(s 24) $(s 31),$(s 19) $(s 39),$(s 29)" \
        -fill '#1f4e8c' -draw "rectangle $(s 20),$(s 35) $(s 27),$(s 40)" \
        -draw "rectangle $(s 11),$(s 40) $(s 36),$(s 44)" \
        "${work}/${n}.png"
}

for n in 48 32 24 16; do
    draw "${n}"
done
convert "${work}/48.png" "${work}/32.png" "${work}/24.png" "${work}/16.png" Mirelka.ico
