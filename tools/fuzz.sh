#!/bin/bash
# Runs each fuzz target for a while on starting inputs made by tarvo-cli.
#   tools/fuzz.sh FUZZ_BUILD_DIR BUILD_DIR SECONDS TARGET...
# Exits 1 if any target found an input that breaks it (kept in
# FUZZ_BUILD_DIR/artifacts/TARGET/).
set -uo pipefail
fuzz_dir=$1 build_dir=$2 seconds=$3
shift 3
cli="$build_dir/src/tarvo-cli"
starts="$fuzz_dir/starts"
mkdir -p "$starts"/{rom_views,edits,png_import,patch_apply,map_block_text,picture_fit,bookkeeping}
"$cli" demo --force "$starts/rom_views/demo.nes" >/dev/null
head -c 98320 /dev/urandom >"$starts/rom_views/random.nes"
head -c 300 /dev/urandom >"$starts/edits/random"
for view in field-chr batview-chr metatiles; do
  "$cli" export "$starts/rom_views/demo.nes" "$view" "$starts/png_import/$view.png" >/dev/null
done
cp "$starts/rom_views/demo.nes" "$fuzz_dir/edited.nes"
printf '\x12\x34' | dd of="$fuzz_dir/edited.nes" bs=1 seek=32784 conv=notrunc status=none
for format in ips bps; do
  "$cli" patch make "$starts/rom_views/demo.nes" "$fuzz_dir/edited.nes" "$starts/patch_apply/demo.$format" >/dev/null
done

# A starting block: two bytes of place, then the text of a 2 x 1 block.
printf '\x22\x21tarvo-field-block 1 2 1\n0A ff\n0123\n3210\n' >"$starts/map_block_text/block"
printf '\x3f\x01tarvo-name-table-block 1 2 1\n0A ff\n' >"$starts/map_block_text/cells"
printf '\x00\x00tarvo-tile 1\n00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n' >"$starts/map_block_text/tile"

# A starting picture: the batter's view in four colours, in stripes.
printf '\x00\x03\x0f\x0f\x0f\xf0\xf0\xf0\x80\x80\x20\x20\xa0\xff\x00\x01\x02\x03\x03\x02\x01' >"$starts/picture_fit/stripes"

# A starting bookkeeping run: a few copies that crowd the image, a zero, then
# commands.
printf '\x01\x05\x09\x02\x07\x40\x03\x11\x22\x00\x00\x04\x02\x87\x08\x30' >"$starts/bookkeeping/crowd"

declare -A max_len=([rom_views]=131072 [edits]=600 [png_import]=65536 [patch_apply]=8192 [map_block_text]=4096 [picture_fit]=4096 [bookkeeping]=1024)
status=0
for target in "$@"; do
  corpus="$fuzz_dir/corpus/$target"
  artifacts="$fuzz_dir/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$fuzz_dir/fuzz/fuzz_$target" "$corpus" "$starts/$target" \
      -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=20 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 2>"$fuzz_dir/$target.log"; then
    echo "fuzz_$target found a failing input:"
    tail -30 "$fuzz_dir/$target.log"
    ls "$artifacts"
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$fuzz_dir/$target.log"
  fi
done
exit $status
