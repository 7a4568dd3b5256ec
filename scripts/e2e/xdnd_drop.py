#!/usr/bin/python3
"""Drops files on the X window at a screen point as a file manager does, by
the XDND protocol (version 5, the files offered as text/uri-list), so that
the program under Wine receives them as a real drop.

usage: xdnd_drop.py X Y FILE...    (DISPLAY names the screen)
Exits 0 once the target has taken the drop, 1 when it refused or timed out.
"""
import sys
import time
from urllib.parse import quote

from Xlib import X, Xatom, display
from Xlib.protocol import event


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    files = sys.argv[3:]
    d = display.Display()
    root = d.screen().root
    atom = lambda name: d.intern_atom(name)
    aware, selection = atom("XdndAware"), atom("XdndSelection")
    uri_list, copy = atom("text/uri-list"), atom("XdndActionCopy")
    payload = "".join("file://" + quote(f) + "\r\n" for f in files).encode()

    # The deepest window at the point that speaks XDND.
    target, window = None, root
    while window:
        if window.get_full_property(aware, X.AnyPropertyType):
            target = window
        reply = root.translate_coords(root, x, y) if window == root else window.translate_coords(root, x, y)
        child = reply.child
        if not child or child == X.NONE:
            break
        window = child
    if target is None:
        print("xdnd_drop: no window at the point accepts drops", file=sys.stderr)
        return 1

    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)

    def send(name, data):
        data = (data + [0] * 5)[:5]
        target.send_event(event.ClientMessage(window=target, client_type=atom(name), data=(32, data)))
        d.flush()

    send("XdndEnter", [source.id, 5 << 24, uri_list])
    send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, copy])
    dropped = False
    deadline = time.time() + 10
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.02)
            continue
        e = d.next_event()
        if e.type == X.SelectionRequest:
            e.requestor.change_property(e.property, e.target, 8, payload)
            d.send_event(e.requestor, event.SelectionNotify(time=e.time, requestor=e.requestor,
                                                            selection=e.selection, target=e.target,
                                                            property=e.property))
            d.flush()
        elif e.type == X.ClientMessage and e.client_type == atom("XdndStatus") and not dropped:
            if not e.data[1][1] & 1:
                send("XdndLeave", [source.id])
                print("xdnd_drop: the window refused the files", file=sys.stderr)
                return 1
            send("XdndDrop", [source.id, 0, X.CurrentTime])
            dropped = True
        elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
            return 0
    print("xdnd_drop: no answer from the window", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
