"""A test server running in the background for a folder: its process id in
DIR/pid, stopped by stop() (which also removes the files it named), and
ending by itself after an hour in any case."""
import os
import signal
import threading

LIFETIME_SECONDS = 3600


def own_server(directory, script):
    """The pid of the server that script started for this folder, if it still runs."""
    try:
        with open(os.path.join(directory, "pid")) as f:
            pid = int(f.read())
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            if script.encode() in f.read():
                return pid
    except (OSError, ValueError):
        pass
    return None


def stop(directory, script, files):
    pid = own_server(directory, script)
    if pid:
        os.kill(pid, signal.SIGTERM)
    for name in ["pid"] + files:
        try:
            os.remove(os.path.join(directory, name))
        except OSError:
            pass
    return 0


def detach(directory, files):
    """Forks: the parent writes DIR/pid and the files ({name: text}) and gets
    False; the child, away from the terminal and from the pipes of a test
    runner (which would otherwise wait for them to close), gets True."""
    pid = os.fork()
    if pid:
        with open(os.path.join(directory, "pid"), "w") as f:
            f.write(str(pid))
        for name, text in files.items():
            with open(os.path.join(directory, name), "w") as f:
                f.write(text)
        return False
    os.setsid()
    null = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(null, fd)
    threading.Timer(LIFETIME_SECONDS, lambda: os._exit(0)).start()
    return True
