# What a user does in the windows before each screenshot, as xdotool commands. Sourced by the actions
# file screenshots.sh hands to xshot, which runs it on its own display once the program is up.
# Positions are in window pixels (the layout's twips / 15, see src/app/Twips.h and the windows' code).
set -eu

main_window() { xdotool search --sync --onlyvisible --name 'Metodo Quillaro ZEFRO' | head -n 1; }
map_window() { xdotool search --sync --onlyvisible --name 'visualizzazione raggi di danno' | head -n 1; }

# Clicks at X,Y of a window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.5
}

# Chooses an entry of the list at X,Y of a window as a user does with the keyboard: the list's popup
# opened (Alt+Down), the entry's first letters typed (the popup finds it), Enter.
choose() {
  click "$1" "$2" "$3"
  xdotool key alt+Down
  sleep 0.5
  xdotool type --delay 30 "$4"
  sleep 0.3
  xdotool key Return
  sleep 1.5
}

# Presses Escape while a message box of the program is open (a question's Escape answers No).
answer_no() {
  local box
  for _ in 1 2 3; do
    sleep 1
    box=$(xdotool search --onlyvisible --name '^(ZEFRO|Save figure)$' | head -n 1 || true)
    [ -n "$box" ] || return 0
    xdotool key Escape
  done
}

# The window manager's frame around a window (title bar included), as WIDTHxHEIGHT+X+Y, into a file.
record_frame() {
  local frame
  frame=$(xwininfo -tree -id "$1" | awk '/Parent window id:/ {print $4}')
  xwininfo -id "$frame" | awk '
    /Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2}
    END {printf "%dx%d+%d+%d\n", w, h, x, y}' >"$2"
}

# The estimate's choices in the main window: propane by name, its class 2_1_2, the average hypothesis,
# a fixed tank in a bund and the quantity range 0 - 10 t, whose eight distances (75 to 530 m) all give
# a circle on the 1:10000 map.
choose_estimate() {
  local w=$1
  choose "$w" 116 234 'Propano'                      # Combo1, the substance's name
  choose "$w" 116 346 '2_1_2'                        # Combo9, the hazard class
  choose "$w" 100 386 'Ipotesi m'                    # Combo5, the hypothesis
  choose "$w" 400 386 'Stoccaggi fissi con'          # Combo4, the containment
  choose "$w" 100 418 ' 0 -'                         # Combo6, the quantity range
}

shot_main_window() {
  local w
  w=$(main_window)
  choose_estimate "$w"
  xdotool mousemove 1270 1010 # the pointer away, so that no tool-tip covers the lists
  sleep 0.5
  record_frame "$w" "$1"
}

shot_map_window() {
  local w m
  w=$(main_window)
  choose_estimate "$w"
  click "$w" 92 584                                  # Command1, the estimate
  m=$(map_window)
  sleep 1
  click "$m" 80 274                                  # the first map file: esempio 1-10000.bmp
  sleep 1
  choose "$m" 320 18 'scala 1:10000'                 # Combo2, the map's scale
  click "$m" 360 232                                 # Command3, "Mostra mappa"
  sleep 1.5
  click "$m" 340 380                                 # the incident's place on the map
  answer_no                                          # keep the circles drawn
  xdotool mousemove 1270 1010
  sleep 0.5
  record_frame "$m" "$1"
}
