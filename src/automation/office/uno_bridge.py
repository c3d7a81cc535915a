# Keeps one headless LibreOffice running and drives it through UNO for the
# Word and Excel stand-ins. Run with Debian's python3 (python3-uno):
#
#   python3 -I -c <this script> OFFICE PROFILE_URL PIPE_NAME IDLE_SECONDS
#
# It starts OFFICE (soffice.bin) with the private profile, connects, and writes
# "READY" (or "ERR <text>" and exits). Then it answers one JSON request per line
# on standard input with one line on standard output:
#
#   {"op":"open","path":P,"kind":"writer"|"calc"|"any","filter":F,"options":O}  ->  "OK <id>"
#   {"op":"save","id":N,"path":P,"filter":F,"options":O}  ->  "OK"
#
# An empty open filter leaves the type to LibreOffice's detection; the save
# filter "pdf" is the PDF export of the document's own kind.
#   {"op":"close","id":N}  ->  "OK"
#
# or "ERR <text>". It ends, taking LibreOffice with it, at end of input, after
# IDLE_SECONDS without a request, or when its parent dies.

import ctypes
import importlib.util
import json
import os
import select
import signal
import subprocess
import sys
import time

# uno is imported once LibreOffice is on its way (see start_office).
uno = None

RESTART_EXIT_CODE = 81
KIND_SERVICES = {
    "writer": "com.sun.star.text.TextDocument",
    "calc": "com.sun.star.sheet.SpreadsheetDocument",
}
PDF_FILTERS = (
    ("com.sun.star.text.GenericTextDocument", "writer_pdf_Export"),
    ("com.sun.star.sheet.SpreadsheetDocument", "calc_pdf_Export"),
    ("com.sun.star.presentation.PresentationDocument", "impress_pdf_Export"),
    ("com.sun.star.drawing.DrawingDocument", "draw_pdf_Export"),
)
NEVER_EXECUTE_MACROS = 0
NO_LINK_UPDATE = 0


def reply(text):
    sys.stdout.write(text.replace("\n", " ") + "\n")
    sys.stdout.flush()


def prop(name, value):
    from com.sun.star.beans import PropertyValue
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def die_with_parent(parent):
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_PDEATHSIG = 1

    def setup():
        libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)
        if os.getppid() != parent:
            os._exit(1)

    return setup


def start_office(program, profile_url, pipe_name):
    """Starts LibreOffice and returns (process, desktop); (process, None) on failure."""
    global uno
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name
    office = None
    # A new profile makes LibreOffice ask to be started again once.
    for _ in range(3):
        office = subprocess.Popen(
            [program, "-env:UserInstallation=" + profile_url, "--headless", "--invisible", "--nologo",
             "--norestore", "--nolockcheck", "--nodefault", "--accept=pipe,name=%s;urp;" % pipe_name],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent(os.getpid()))
        if uno is None:
            import uno  # while LibreOffice starts
        from com.sun.star.connection import NoConnectException
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        while office.poll() is None:
            try:
                context = resolver.resolve(url)
                desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
                return office, desktop
            except NoConnectException:
                time.sleep(0.02)
        if office.returncode != RESTART_EXIT_CODE:
            break
    return office, None


def open_document(desktop, path, kind, filter_name="", options=""):
    arguments = (prop("Hidden", True), prop("ReadOnly", True),
                 prop("MacroExecutionMode", NEVER_EXECUTE_MACROS), prop("UpdateDocMode", NO_LINK_UPDATE))
    if filter_name:
        arguments += (prop("FilterName", filter_name), prop("FilterOptions", options))
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0, arguments)
    if document is None:
        raise RuntimeError("cannot open the document")
    if kind != "any" and not document.supportsService(KIND_SERVICES[kind]):
        close_document(document)
        raise RuntimeError("not a %s document" % kind)
    return document


def pdf_filter(document):
    for service, name in PDF_FILTERS:
        if document.supportsService(service):
            return name
    raise RuntimeError("this document cannot be printed")


def close_document(document):
    try:
        document.close(True)
    except Exception:
        document.dispose()


def office_gone(office, error):
    """True when the error came from LibreOffice itself dying."""
    if "Disposed" in type(error).__name__:
        try:
            office.wait(timeout=1)
        except subprocess.TimeoutExpired:
            pass
    return office.poll() is not None


def serve(office, desktop, idle_seconds):
    documents = {}
    next_id = 1
    stdin = sys.stdin.buffer
    while True:
        readable, _, _ = select.select([stdin], [], [], idle_seconds)
        if not readable:
            return
        line = stdin.readline()
        if not line:
            return
        try:
            request = json.loads(line.decode("utf-8", "surrogateescape"))
            op = request["op"]
            if op == "open":
                documents[next_id] = open_document(desktop, request["path"], request["kind"],
                                                   request.get("filter", ""), request.get("options", ""))
                reply("OK %d" % next_id)
                next_id += 1
            elif op == "save":
                document = documents[request["id"]]
                filter_name = request["filter"]
                if filter_name == "pdf":
                    filter_name = pdf_filter(document)
                document.storeToURL(uno.systemPathToFileUrl(request["path"]),
                                    (prop("FilterName", filter_name), prop("FilterOptions", request["options"])))
                reply("OK")
            elif op == "close":
                document = documents.pop(request["id"], None)
                if document is not None:
                    close_document(document)
                reply("OK")
            else:
                reply("ERR unknown request")
        except Exception as error:
            if office_gone(office, error):
                return  # say nothing, just end: the caller sees this end

            reply("ERR %s" % (getattr(error, "Message", None) or error))


def main():
    program, profile_url, pipe_name, idle = sys.argv[1:5]
    if importlib.util.find_spec("uno") is None:
        sys.exit(1)  # no python3-uno: say nothing, the caller does without
    office, desktop = None, None
    try:
        office, desktop = start_office(program, profile_url, pipe_name)
        if desktop is None:
            reply("ERR LibreOffice did not start")
            return
        reply("READY")
        serve(office, desktop, float(idle))
    finally:
        if office is not None:
            stop_office(office, desktop)


def stop_office(office, desktop):
    """Ends LibreOffice the orderly way (it removes its pipe), else kills it."""
    if desktop is not None and office.poll() is None:
        try:
            desktop.terminate()
        except Exception:
            pass  # the connection drops while LibreOffice ends
    try:
        office.wait(timeout=3)
    except subprocess.TimeoutExpired:
        office.kill()
        office.wait()


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    main()
