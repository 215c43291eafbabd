#!/bin/zsh
# Adds Corvex's Extract Here, Extract to Folder, Compress to ZIP and Compress… to the context
# menus of the common Linux file managers, for the current user only.
#
# Run it as: zsh install-finder-actions.sh
# It lies at <prefix>/share/corvex/ and starts <prefix>/bin/corvex. Running it again
# rewrites nothing that is already current. On failure it exits 1 and prints the
# reason, which Corvex shows to the user as it is.

# The user's .zshenv is read even by scripts: start from plain zsh behaviour.
emulate -R zsh
unalias -a 2>/dev/null
setopt extended_glob no_unset
umask 022

script=${0:A}
resources=${script:h}
corvex=${resources:h:h}/bin/corvex

fail() {
  print -r -- "Corvex could not install the file-manager actions: $1" >&2
  exit 1
}

pending=
trap '[[ -n $pending ]] && rm -f -- $pending' EXIT
trap 'exit 130' INT TERM HUP

[[ -f $corvex && -x $corvex ]] ||
  fail "the Corvex program was not found at $corvex."
# A line break cannot be carried through every one of the formats below.
[[ $corvex != *[[:cntrl:]]* ]] ||
  fail "Corvex's install location contains a control character: $corvex"

# The XDG base folders; a relative value is ignored, as the standard asks.
xdg_dir() {  # variable value, fallback below HOME, variable name
  if [[ $1 == /* ]]; then
    REPLY=$1
  elif [[ ${HOME:-} == /* ]]; then
    REPLY=$HOME/$2
  else
    fail "neither $3 nor HOME names a folder to install into."
  fi
}
xdg_dir "${XDG_DATA_HOME:-}" .local/share XDG_DATA_HOME; data=$REPLY
xdg_dir "${XDG_CONFIG_HOME:-}" .config XDG_CONFIG_HOME; config=$REPLY

# --- Writing files ---------------------------------------------------------------

make_dir() {
  [[ -d $1 ]] && return
  local err
  err=$(mkdir -p -- $1 2>&1) || fail "could not create the folder $1 (${err##*: })."
}

# put FILE MODE TEXT: replaces FILE atomically with TEXT (a temporary file in the same
# folder, then a rename). A file that already holds TEXT is left as it is.
put() {
  local dest=$1 mode=$2 text=$3 err
  # Keep a link the user made (say, into a dotfiles folder): write where it points.
  [[ -L $dest ]] && dest=${dest:A}
  make_dir ${dest:h}
  [[ -d $dest ]] && fail "$dest is a folder, where a file was expected."
  pending=$(mktemp -- ${dest:h}/.${dest:t}.XXXXXX 2>&1) || {
    err=$pending; pending=
    fail "could not write in the folder ${dest:h} (${err##*: })."
  }
  { print -rn -- $text >| $pending && chmod $mode $pending } 2>/dev/null ||
    fail "could not write $dest."
  if [[ -f $dest ]] && cmp -s -- $pending $dest; then
    rm -f -- $pending; pending=
    chmod $mode $dest 2>/dev/null || fail "could not change the permissions of $dest."
    return
  fi
  err=$(mv -f -- $pending $dest 2>&1) || fail "could not replace $dest (${err##*: })."
  pending=
}

# --- Quoting -----------------------------------------------------------------------

# An argument as a command line holds it: double-quoted, with \ " $ ` escaped, when
# it holds a character a shell or desktop entry would take as special; % doubled.
command_arg() {
  local s=$1
  if [[ $s == *[[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]* ]]; then
    s=${s//\\/\\\\}; s=${s//\"/\\\"}; s=${s//\$/\\\$}; s=${s//\`/\\\`}
    s=\"$s\"
  fi
  REPLY=${s//\%/%%}
}

# An Exec argument of a desktop entry: the same, then escaped as a string value, which
# doubles each backslash once more.
desktop_arg() {
  command_arg $1
  REPLY=${REPLY//\\/\\\\}
}

xml_text() {
  local s=${1//\&/&amp;}
  s=${s//\</&lt;}
  REPLY=${s//\>/&gt;}
}

# --- What the actions are ------------------------------------------------------------

actions=(extract-here extract-folder compress-zip compress)
typeset -A label option tip group
label=(extract-here 'Extract Here' extract-folder 'Extract to Folder' compress-zip 'Compress to ZIP'
       compress 'Compress…')
group=(extract-here extractHere extract-folder extractFolder compress-zip compressZip compress compressAsked)
option=(extract-here -corvexextracthere extract-folder -corvexextractfolder compress-zip -add2archive
       compress -compress)
tip=(
  extract-here 'Extract the archive into the folder it is in'
  extract-folder 'Extract the archive into a new folder beside it'
  compress-zip 'Compress the selected items into a ZIP archive'
  compress 'Compress the selected items, choosing the format and options'
)

# Archive types Corvex extracts. Both bzip2 names: shared-mime-info renamed them.
archive_types=(
  application/zip application/x-7z-compressed application/vnd.rar application/x-tar
  application/gzip application/x-compressed-tar
  application/x-bzip application/x-bzip2
  application/x-bzip-compressed-tar application/x-bzip2-compressed-tar
  application/x-xz application/x-xz-compressed-tar application/zstd
  application/x-zstd-compressed-tar application/x-lzma application/x-lzma-compressed-tar
  application/x-lzip application/x-compress application/x-tarz application/x-cpio
  application/vnd.ms-cab-compressed application/x-cd-image application/x-arj
  application/x-lha application/x-rpm application/vnd.debian.binary-package application/x-xar
)
mime_list=${(j:;:)archive_types}\;
# Thunar matches names, case-sensitively.
suffixes=(zip 7z rar tar gz tgz bz2 tbz tbz2 xz txz zst tzst lzma tlz lz Z taz cpio
          cab iso arj lzh lha rpm deb xar)
archive_patterns=()
for s in $suffixes; do
  archive_patterns+=("*.$s")
  [[ ${(U)s} == $s ]] || archive_patterns+=("*.${(U)s}")
done
pattern_list=${(j:;:)archive_patterns}

desktop_arg $corvex; corvex_exec=$REPLY
command_arg $corvex; corvex_command=$REPLY

# --- GNOME Files and Caja: scripts -----------------------------------------------------

# The file manager starts the script in the viewed folder with the selection in argv,
# usually relative to it. Item paths arrive as separate arguments, so any name works.
script_text() {  # option
  print -r -- '#!/bin/sh'
  print -r -- '# Corvex file-manager action; install-finder-actions.sh writes and updates it.'
  print -r -- '# Selected items arrive in argv, relative to the viewed folder: make them absolute.'
  print -r -- 'for f do'
  print -r -- '	shift'
  print -r -- '	case $f in'
  print -r -- '	/*) ;;'
  print -r -- '	*) case $PWD in */) f=$PWD$f ;; *) f=$PWD/$f ;; esac ;;'
  print -r -- '	esac'
  print -r -- '	set -- "$@" "$f"'
  print -r -- 'done'
  print -r -- '# Nothing selected, or only remote items: nothing to do.'
  print -r -- '[ $# -gt 0 ] || exit 0'
  print -r -- "exec ${(qq)corvex} $1 \"\$@\""
}

for folder in $data/nautilus/scripts/Corvex $config/caja/scripts/Corvex; do
  for a in $actions; do
    put $folder/$label[$a] 755 "$(script_text $option[$a])"$'\n'
  done
done

# --- Dolphin: service menus --------------------------------------------------------------

service_menu() {  # mime types, action ids...
  local mimes=$1 a groups=(); shift
  for a in $@; do groups+=($group[$a]); done
  print -r -- '[Desktop Entry]'
  print -r -- 'Type=Service'
  print -r -- 'Name=Corvex'
  print -r -- 'ServiceTypes=KonqPopupMenu/Plugin'
  print -r -- "MimeType=$mimes"
  print -r -- "Actions=${(j:;:)groups};"
  print -r -- 'X-KDE-Submenu=Corvex'
  for a in $@; do
    print -r -- ''
    print -r -- "[Desktop Action $group[$a]]"
    print -r -- "Name=$label[$a]"
    print -r -- 'Icon=corvex'
    print -r -- "Exec=$corvex_exec $option[$a] %F"
  done
}

# KF6 refuses to run a service menu that is not executable.
for folder in $data/kio/servicemenus $data/kservices5/ServiceMenus; do
  put $folder/corvex-extract.desktop 755 \
    "$(service_menu $mime_list extract-here extract-folder)"$'\n'
  put $folder/corvex-compress.desktop 755 \
    "$(service_menu 'application/octet-stream;inode/directory;' compress-zip compress)"$'\n'
done

# --- Nemo: actions ------------------------------------------------------------------------

# Nemo pastes %F paths into a command line and splits it again, which loses quotes and
# backslashes in names. File URIs survive that intact (they have no such characters),
# so the actions hand URIs to a small helper that turns them back into paths.
nemo_dir=$data/nemo/actions
nemo_helper=$nemo_dir/corvex-open-uris
put $nemo_helper 755 "$(
  print -r -- '#!/bin/zsh -f'
  print -r -- '# Corvex helper for Nemo actions: the option, then file URIs; starts Corvex with paths.'
  print -r -- 'emulate -R zsh'
  print -r -- 'setopt extended_glob no_multibyte'
  print -r -- 'option=$1; shift'
  print -r -- 'paths=()'
  print -r -- 'for uri in "$@"; do'
  print -r -- '  case $uri in'
  print -r -- '    (file://localhost/*) p=${uri#file://localhost} ;;'
  print -r -- '    (file:///*) p=${uri#file://} ;;'
  print -r -- '    (*) continue ;;'
  print -r -- '  esac'
  print -r -- '  paths+=("${p//(#b)%([[:xdigit:]][[:xdigit:]])/${(#):-0x$match[1]}}")'
  print -r -- 'done'
  print -r -- '(( $#paths )) || exit 0'
  print -r -- "exec ${(qq)corvex} \$option \"\${paths[@]}\""
)"$'\n'
desktop_arg $nemo_helper; nemo_helper_exec=${REPLY//\%\%/%}

for a in $actions; do
  if [[ $a == compress* ]]; then
    match_lines=$'Selection=notnone\nExtensions=any;'
  else
    match_lines="Selection=s"$'\n'"Mimetypes=$mime_list"
  fi
  put $nemo_dir/corvex-$a.nemo_action 644 "$(
    print -r -- '[Nemo Action]'
    print -r -- 'Active=true'
    print -r -- "Name=$label[$a]"
    print -r -- "Comment=$tip[$a]"
    print -r -- 'Icon-Name=corvex'
    print -r -- "Exec=$nemo_helper_exec $option[$a] %U"
    print -r -- 'Quote=double'
    print -r -- $match_lines
  )"$'\n'
done

# --- PCManFM-Qt and others: file-manager actions ------------------------------------------

for a in $actions; do
  if [[ $a == compress* ]]; then types='all/all;'; else types=$mime_list; fi
  put $data/file-manager/actions/corvex-$a.desktop 644 "$(
    print -r -- '[Desktop Entry]'
    print -r -- 'Type=Action'
    print -r -- "Name=$label[$a]"
    print -r -- 'Icon=corvex'
    print -r -- 'Profiles=main;'
    print -r -- ''
    print -r -- '[X-Action-Profile main]'
    print -r -- 'Name=Corvex'
    print -r -- "Exec=$corvex_exec $option[$a] %F"
    print -r -- "MimeTypes=$types"
  )"$'\n'
done

# --- The application entry and its icon -----------------------------------------------------

notes=()

# The same name as the installed entry, so that this one takes its place rather than
# listing Corvex twice.
apps=$data/applications
entry=$(
  print -r -- '[Desktop Entry]'
  print -r -- 'Type=Application'
  print -r -- 'Name=Corvex'
  print -r -- 'GenericName=Archive Manager'
  print -r -- 'Comment=Open, extract and create archives'
  print -r -- "Exec=$corvex_exec %F"
  print -r -- 'Icon=corvex'
  print -r -- 'Terminal=false'
  print -r -- 'StartupWMClass=Corvex'
  print -r -- 'Categories=Utility;Archiving;Compression;Qt;'
  print -r -- "MimeType=$mime_list"
  print -r -- 'Keywords=archive;zip;7z;rar;tar;extract;compress;'
)
put $apps/io.github.corvex.Corvex.desktop 644 "$entry"$'\n'
# Earlier versions wrote corvex.desktop; remove it only when it is unchanged since.
old_entry=$apps/corvex.desktop
if [[ -f $old_entry && ! -L $old_entry && "$(<$old_entry)" == "${entry/$'\n'StartupWMClass=Corvex/}" ]]; then
  rm -f -- $old_entry || notes+=("The earlier entry $old_entry could not be removed; Corvex may be listed twice.")
fi

if [[ -r $resources/corvex.svg ]]; then
  put $data/icons/hicolor/scalable/apps/corvex.svg 644 "$(<$resources/corvex.svg)"$'\n'
else
  notes+=("The icon was not found beside this script; the menus show no icon.")
fi

# --- Thunar: merged into uca.xml -------------------------------------------------------------

thunar_block() {  # action id
  local icon=corvex name description command patterns flags
  xml_text $label[$1]; name=$REPLY
  xml_text $tip[$1]; description=$REPLY
  xml_text "$corvex_command $option[$1] %F"; command=$REPLY
  if [[ $1 == compress* ]]; then
    patterns='*'
    flags=$'\t<directories/>\n\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n\t<video-files/>'
  else
    patterns=$pattern_list
    flags=$'\t<other-files/>'
  fi
  print -r -- '<action>'
  print -r -- "	<icon>$icon</icon>"
  print -r -- "	<name>$name</name>"
  print -r -- '	<submenu>Corvex</submenu>'
  print -r -- "	<unique-id>corvex-$1</unique-id>"
  print -r -- "	<command>$command</command>"
  print -r -- "	<description>$description</description>"
  print -r -- "	<patterns>$patterns</patterns>"
  print -r -- $flags
  print -r -- '</action>'
}

uca=$config/Thunar/uca.xml
[[ -L $uca ]] && uca=${uca:A}
if [[ -f $uca ]]; then
  [[ -r $uca ]] || fail "could not read $uca."
  old=$(<$uca)
else
  # Thunar falls back to the system's actions while the user has none of their own;
  # start from those so that they stay.
  old=
  for dir in ${(s.:.)${XDG_CONFIG_DIRS:-/etc/xdg}}; do
    if [[ $dir == /* && -f $dir/Thunar/uca.xml && -r $dir/Thunar/uca.xml ]]; then
      old=$(<$dir/Thunar/uca.xml)
      [[ $old == *'</actions>'* ]] || old=
      break
    fi
  done
fi
[[ -n ${old//[[:space:]]/} ]] || old=$'<?xml version="1.0" encoding="UTF-8"?>\n<actions>\n</actions>'
[[ $old == *'</actions>'* ]] ||
  fail "$uca is not a Thunar actions file Corvex can add to; it was left unchanged. The other file managers' actions were installed."

# Keep everything but Corvex's own <action> blocks, then add them before </actions>.
rest=${old%'</actions>'*}
after=${old##*'</actions>'}
kept=
while [[ $rest == *'<action>'* ]]; do
  before=${rest%%'<action>'*}
  rest=${rest#*'<action>'}
  [[ $rest == *'</action>'* ]] ||
    fail "$uca has an action without its end; it was left unchanged. The other file managers' actions were installed."
  block=${rest%%'</action>'*}
  rest=${rest#*'</action>'}
  if [[ $block == *'<unique-id>corvex-'(${(j:|:)~actions})'</unique-id>'* ]]; then
    kept+=${before%%[ $'\t']#}
    rest=${rest#$'\n'}
  else
    kept+=$before'<action>'$block'</action>'
  fi
done
kept+=$rest
[[ $kept == *$'\n' ]] || kept+=$'\n'
for a in $actions; do
  kept+="$(thunar_block $a)"$'\n'
done
put $uca 644 "$kept</actions>$after"$'\n'

# --- Refresh caches, report -------------------------------------------------------------------

# Each cache is rebuilt only where its tool is installed; file managers are never started.
if (( $+commands[update-desktop-database] )); then
  update-desktop-database -q $apps >/dev/null 2>&1 ||
    notes+=("update-desktop-database failed; \"Open With\" may list Corvex only after the next login.")
fi
# KDE finds the application entry, and Frameworks 5 before 5.85 its service menus, through this cache.
for tool in kbuildsycoca5 kbuildsycoca6; do
  (( $+commands[$tool] )) && { $tool >/dev/null 2>&1 || true }
done

# Only the file managers that are installed need a restart, and only these reread nothing by themselves.
restart=()
(( $+commands[thunar] )) && restart+=('Thunar (thunar -q)')
(( $+commands[pcmanfm-qt] )) && restart+=(PCManFM-Qt)
(( $+commands[dolphin] )) && restart+=('Dolphin on KDE Frameworks older than 5.85')

print -r -- "Installed Extract Here, Extract to Folder, Compress to ZIP and Compress… for Corvex at $corvex:"
print -r -- "  GNOME Files and Caja: Scripts > Corvex (ready now)"
print -r -- "  Dolphin: Corvex submenu (ready now)"
print -r -- "  Nemo: context menu (ready now)"
print -r -- "  Thunar: Corvex submenu"
print -r -- "  PCManFM-Qt and others reading file-manager/actions: context menu"
print -r -- "  Open With: Corvex"
(( $#restart )) && print -r -- "Restart these file managers if they are running: ${(j:, :)restart}."
for n in $notes; do print -r -- "Note: $n"; done
exit 0
