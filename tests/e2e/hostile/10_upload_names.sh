# shellcheck shell=bash
# Hostile upload file names (upload_names.tsv): each is saved inside /up or
# refused with the component's message, both with Save() and with
# Save("", false); afterwards nothing exists outside /up and no temporary
# file is left.
mkdir -p "$WORK/cases"
NAMES_BOUNDARY=hzBoundary7MA4YWxkTrZu0gW

# names_expand TOKEN: the long names the table writes as a token.
names_expand() {
  case "$1" in
    EMPTY) printf '' ;;
    LONG4100) printf 'hz'; head -c 4094 /dev/zero | tr '\0' 'a'; printf '.txt' ;;
    LONGCJK) printf 'hz'; for _ in $(seq 1 85); do printf '\xe6\x97\xa5'; done; printf '.txt' ;;
    hz.EXT240) printf 'hz.'; head -c 240 /dev/zero | tr '\0' 'x' ;;
    hz.EXT300) printf 'hz.'; head -c 300 /dev/zero | tr '\0' 'x' ;;
    *) printf '%b' "$1" ;;
  esac
}

# names_body NAME FILE: a one-file multipart body whose file name is NAME.
names_body() {
  {
    printf -- '--%s\r\nContent-Disposition: form-data; name="f"; filename="' "$NAMES_BOUNDARY"
    names_expand "$1"
    printf '"\r\nContent-Type: text/plain\r\n\r\nhostile name\r\n--%s--\r\n' "$NAMES_BOUNDARY"
  } >"$2"
}

before_outside=$(listing_outside_uploads)
names_rows=0
while IFS=$'\t' read -r label name wanted; do
  [[ -z "$label" || "$label" == \#* ]] && continue
  names_rows=$((names_rows + 1))
  names_body "$name" "$WORK/cases/name.body"
  # keep=1 first, into an empty folder, so both saves take the sent name.
  for keep in 1 0; do
    got=$(curl -s --max-time 10 --data-binary @"$WORK/cases/name.body" \
      -H "Content-Type: multipart/form-data; boundary=$NAMES_BOUNDARY" "$BASE/save.asp?keep=$keep" | tr -d "\0")
    expect_like "file name: $label (keep=$keep)" "$got" "$wanted"
  done
  odd=$(find "$SITE/up" -mindepth 1 ! -type f; [ "$(ls -A "$SITE/up" | wc -l)" -le 1 ] || echo "several files")
  [ -z "$odd" ] || fail "file name: $label leaves one plain file" "$odd"
  rm -rf "${SITE:?}/up"/* "$SITE/up"/.[!.]* 2>/dev/null
done <"$HOSTILE/upload_names.tsv"
expect_eq "file name table has at least 50 rows" "$([ "$names_rows" -ge 50 ] && echo yes || echo "$names_rows")" "yes"

expect_eq "nothing written outside the upload folder" "$(diff <(echo "$before_outside") <(listing_outside_uploads))" ""
expect_eq "no upload temporaries left" "$(temp_files)" "0"
expect_eq "no hostile name in /tmp or /etc" "$(ls -d /tmp/hz-* /etc/hz-* /hz-* 2>/dev/null | head -3)" ""
