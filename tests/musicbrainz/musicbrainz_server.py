#!/usr/bin/env python3
"""A MusicBrainz web service over HTTPS on 127.0.0.1, for the tests.

Every certificate is made when the server starts, under a test root that
exists only for the tests (DIR/roots.pem, to name as the player's "Roots"
file); nothing of it is shipped. The server listens on one port for each way
a server can be, DIR/ports naming them ("name port" a line):

  rsa         an RSA certificate for "localhost" under an intermediate,
              both for servers and clients by their Extended Key Usage (as
              public authorities issue them), offering only AES-256-GCM
  aes128      the same, offering only AES-128-GCM
  ecdsa       an ECDSA P-256 certificate for "localhost" in a chain of four
              (leaf, a P-384 intermediate, an RSA intermediate for any
              purpose, the root), offering only ChaCha20-Poly1305 and ECDHE
              on P-384
  wrongname   a certificate for another name
  expired     a certificate that ran out in 2020
  untrusted   a certificate under a root the tests do not trust
  oldsuites   offering only suites without ECDHE
  clientauth  a certificate for "localhost" meant only for clients
  emailca     a certificate for "localhost" and servers, under an
              intermediate limited to e-mail protection
  large       a certificate for "localhost" and 1,000 other names, 25 KB
  drop        takes the connection and closes it at once, without TLS
  plainhttp   a plain HTTP server: answers what it reads with 400 Bad Request

All certificates but the expired one are valid from 2025 to 2049.

Requests "GET /ws/2/discid/<id>?toc=...&inc=...&fmt=json" are answered from
replies/: <id>.json whole; <id>.cut as a cut answer (no Content-Length, the
connection dropped half-way, without the session's end); <id>.503 as the
service's answer to too many requests; else toc-<lead-out>.json for the
lead-out of the toc= parameter; else 404 with {"error":"Not Found"}. As the
real service does, an answer to a request whose inc= lacks "recordings"
lists each release's media without their tracks (a CD stub keeps its own).
Requests "GET /ws/2/release/<mbid>?inc=...&fmt=json" are answered with that
release, tracks and all, as one of the replies holds it. Besides the
replies, made up here: a disc pressed in 150 releases (a 3-track disc, 150
to 50000, lead-out 75000), each release with its own year and country; and
a disc (2 tracks, 150 and 40000, lead-out 70000) in three releases whose
own answers fail: a box set of 1,400 tracks (past the player's limit), one
answered 503, one cut short. Each
request goes to DIR/requests.log before its answer goes out, one line of
fields separated by tabs: its target, its User-Agent, the server name the
client sent, the protocol and suite agreed, and the application protocol
(every server offers h2 and http/1.1; "none" when the client asked for none).

  musicbrainz_server.py start DIR   serves in the background
  musicbrainz_server.py stop DIR    stops it
A server ends by itself after an hour.
"""
import base64
import datetime
import hashlib
import json
import os
import re
import socket
import ssl
import sys
import threading
import urllib.parse

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import background_server  # noqa: E402

REPLIES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "replies")
VALID = (datetime.datetime(2025, 1, 1), datetime.datetime(2049, 12, 31))
EXPIRED = (datetime.datetime(2020, 1, 1), datetime.datetime(2020, 3, 1))
NOT_FOUND = b'{"error":"Not Found","help":"For usage, please see: https://musicbrainz.org/development/mmd"}'
BUSY = b'{"error":"Your requests are exceeding the allowable rate limit."}'


def rsa_key(bits=2048):
    return rsa.generate_private_key(public_exponent=65537, key_size=bits)


def ec_key(curve):
    return ec.generate_private_key(curve)


def name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "kovel32 tests"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


SERVER_AND_CLIENT = [ExtendedKeyUsageOID.SERVER_AUTH, ExtendedKeyUsageOID.CLIENT_AUTH]


def certificate(subject, key, issuer, issuer_key, ca, host=None, valid=VALID, usages=None, hosts=()):
    hash_ = hashes.SHA384() if isinstance(issuer_key, ec.EllipticCurvePrivateKey) else hashes.SHA256()
    builder = (x509.CertificateBuilder()
               .subject_name(name(subject)).issuer_name(name(issuer))
               .public_key(key.public_key()).serial_number(x509.random_serial_number())
               .not_valid_before(valid[0]).not_valid_after(valid[1])
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if host:
        builder = builder.add_extension(x509.SubjectAlternativeName([x509.DNSName(name) for name in (host,) + hosts]),
                                        critical=False)
    if usages:
        builder = builder.add_extension(x509.ExtendedKeyUsage(usages), critical=False)
    return builder.sign(issuer_key, hash_)


def pem(*items):
    out = b""
    for item in items:
        if isinstance(item, x509.Certificate):
            out += item.public_bytes(serialization.Encoding.PEM)
        else:
            out += item.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                      serialization.NoEncryption())
    return out


def make_certificates(directory):
    """Writes DIR/roots.pem and a key-and-chain file per server; returns their paths."""
    root_key = rsa_key(4096)
    root = certificate("kovel32 Test Root", root_key, "kovel32 Test Root", root_key, True)
    inter_key = rsa_key()
    inter = certificate("Test Intermediate R", inter_key, "kovel32 Test Root", root_key, True, usages=SERVER_AND_CLIENT)
    e1_key = rsa_key()
    e1 = certificate("Test Intermediate E1", e1_key, "kovel32 Test Root", root_key, True,
                     usages=[ExtendedKeyUsageOID.ANY_EXTENDED_KEY_USAGE])
    mail_key = rsa_key()
    mail = certificate("Test Intermediate M", mail_key, "kovel32 Test Root", root_key, True,
                       usages=[ExtendedKeyUsageOID.EMAIL_PROTECTION])
    e2_key = ec_key(ec.SECP384R1())
    e2 = certificate("Test Intermediate E2", e2_key, "Test Intermediate E1", e1_key, True)
    other_key = ec_key(ec.SECP256R1())
    other_root = certificate("Untrusted Test Root", other_key, "Untrusted Test Root", other_key, True)

    rsa_leaf_key = rsa_key()
    rsa_leaf = certificate("localhost", rsa_leaf_key, "Test Intermediate R", inter_key, False, "localhost",
                           usages=SERVER_AND_CLIENT)
    ec_leaf_key = ec_key(ec.SECP256R1())
    ec_leaf = certificate("localhost", ec_leaf_key, "Test Intermediate E2", e2_key, False, "localhost")
    leaf_key = ec_key(ec.SECP256R1())
    chains = {
        "rsa": pem(rsa_leaf_key, rsa_leaf, inter),
        "aes128": pem(rsa_leaf_key, rsa_leaf, inter),
        "ecdsa": pem(ec_leaf_key, ec_leaf, e2, e1, root),
        "wrongname": pem(leaf_key, certificate("another.test", leaf_key, "Test Intermediate R", inter_key, False,
                                               "another.test"), inter),
        "expired": pem(leaf_key, certificate("localhost", leaf_key, "Test Intermediate R", inter_key, False,
                                             "localhost", EXPIRED), inter),
        "untrusted": pem(leaf_key, certificate("localhost", leaf_key, "Untrusted Test Root", other_key, False,
                                               "localhost"), other_root),
        "oldsuites": pem(rsa_leaf_key, rsa_leaf, inter),
        "clientauth": pem(leaf_key, certificate("localhost", leaf_key, "Test Intermediate R", inter_key, False,
                                                "localhost", usages=[ExtendedKeyUsageOID.CLIENT_AUTH]), inter),
        "emailca": pem(leaf_key, certificate("localhost", leaf_key, "Test Intermediate M", mail_key, False,
                                             "localhost", usages=[ExtendedKeyUsageOID.SERVER_AUTH]), mail),
        "large": pem(leaf_key, certificate("localhost", leaf_key, "Test Intermediate R", inter_key, False, "localhost",
                                           usages=SERVER_AND_CLIENT,
                                           hosts=tuple("host-%04d.kovel32.test" % i for i in range(1000))), inter),
    }
    with open(os.path.join(directory, "roots.pem"), "wb") as f:
        f.write(pem(root))
    paths = {}
    for server, data in chains.items():
        paths[server] = os.path.join(directory, server + ".pem")
        with open(paths[server], "wb") as f:
            f.write(data)
    return paths


# The server name each connection's client sent, by connection.
server_names = {}


def remember_name(sock, server_name, _):
    server_names[id(sock)] = server_name


def context(server, path):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(path)
    ctx.set_alpn_protocols(["h2", "http/1.1"])
    ctx.sni_callback = remember_name
    if server == "rsa":
        ctx.set_ciphers("ECDHE-RSA-AES256-GCM-SHA384")
    elif server == "aes128":
        ctx.set_ciphers("ECDHE-RSA-AES128-GCM-SHA256")
    elif server == "ecdsa":
        ctx.set_ciphers("ECDHE-ECDSA-CHACHA20-POLY1305")
        ctx.set_ecdh_curve("secp384r1")
    elif server == "oldsuites":
        ctx.set_ciphers("AES128-GCM-SHA256:AES256-GCM-SHA384")
    if server == "oldsuites":
        ctx.maximum_version = ssl.TLSVersion.TLSv1_2
    return ctx


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data and len(data) < 8192:
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data.split(b"\r\n\r\n")[0].decode("latin-1").split("\r\n")


def disc_id(offsets, lead_out):
    """MusicBrainz's id of a disc whose tracks, numbered from 1, start at offsets."""
    text = "%02X%02X%08X" % (1, len(offsets), lead_out)
    text += "".join("%08X" % (offsets[i] if i < len(offsets) else 0) for i in range(99))
    digest = base64.b64encode(hashlib.sha1(text.encode()).digest()).decode()
    return digest.translate(str.maketrans("+/=", "._-"))


MANY = ([150, 25000, 50000], 75000)
FAILING = ([150, 40000], 70000)
COUNTRIES = ("GB", "DE", "US", "JP", "FR", "NL", "XE")


def uuid(*numbers):
    return "%08x-0000-4000-8000-%012x" % (numbers[0] & 0xFFFFFFFF, sum(numbers[1:]) & 0xFFFFFFFFFFFF)


def made_release(mbid, title, offsets, lead_out, tracks, date="2001", country="GB"):
    """A release shaped as the service answers it, every field included."""
    artist = {"id": uuid(7, 1), "name": "The Pressings", "sort-name": "Pressings, The", "disambiguation": "",
              "type": "Group", "type-id": uuid(8, 2)}
    credit = [{"name": "The Pressings", "joinphrase": "", "artist": artist}]
    disc = {"id": disc_id(offsets, lead_out), "offset-count": len(offsets), "sectors": lead_out,
            "offsets": offsets}
    medium_tracks = [{"id": uuid(9, n), "number": str(n), "position": n, "title": "%s, track %d" % (title, n),
                      "length": 180000 + n, "artist-credit": credit,
                      "recording": {"id": uuid(10, n), "title": "%s, track %d" % (title, n), "length": 180000 + n,
                                    "disambiguation": "", "video": False, "first-release-date": date,
                                    "artist-credit": credit}}
                     for n in range(1, tracks + 1)]
    return {"id": mbid, "title": title, "status": "Official", "status-id": uuid(11, 3), "quality": "normal",
            "packaging": "Jewel Case", "packaging-id": uuid(12, 4), "barcode": "5%011d" % len(title),
            "disambiguation": "", "date": date, "country": country,
            "release-events": [{"date": date, "area": {"id": uuid(13, 5), "name": country, "sort-name": country,
                                                       "iso-3166-1-codes": [country], "disambiguation": "",
                                                       "type": None, "type-id": None}}],
            "text-representation": {"language": "eng", "script": "Latn"},
            "cover-art-archive": {"artwork": True, "count": 2, "front": True, "back": True, "darkened": False},
            "asin": None, "artist-credit": credit,
            "media": [{"position": 1, "title": "", "format": "CD", "format-id": uuid(14, 6), "track-offset": 0,
                       "track-count": tracks, "discs": [disc], "tracks": medium_tracks}]}


def made_releases():
    """The made-up discs' releases, by disc id."""
    many = [made_release("00000000-0000-4000-8000-%012d" % i, "Pressing %d" % (i + 1), MANY[0], MANY[1], 3,
                         str(1970 + i % 50), COUNTRIES[i % len(COUNTRIES)]) for i in range(150)]
    failing = [made_release("b0c5e700-0000-4000-8000-000000000001", "Complete Works", FAILING[0], FAILING[1], 1400),
               made_release("b0c5e700-0000-4000-8000-000000000503", "Busy Pressing", FAILING[0], FAILING[1], 2),
               made_release("b0c5e700-0000-4000-8000-00000000c0c0", "Cut Pressing", FAILING[0], FAILING[1], 2)]
    return {disc_id(*MANY): many, disc_id(*FAILING): failing}


MADE = made_releases()


def without_tracks(body):
    """A discid answer as it comes without inc=recordings: no release's media list their tracks."""
    data = json.loads(body)
    for release in data.get("releases", []):
        for medium in release.get("media", []):
            medium.pop("tracks", None)
    return json.dumps(data, ensure_ascii=False, separators=(",", ":")).encode("utf-8")


def find_release(mbid):
    for releases in MADE.values():
        for release in releases:
            if release["id"] == mbid:
                return release
    for name in os.listdir(REPLIES):
        if name.endswith(".json") or name.endswith(".cut"):
            with open(os.path.join(REPLIES, name), "rb") as f:
                for release in json.loads(f.read()).get("releases", []):
                    if release.get("id") == mbid:
                        return release
    return None


def answer(lines, tls, log):
    """(status line, body, how to send it) for a request."""
    parts = lines[0].split(" ") if lines else []
    headers = {line.split(":", 1)[0].lower(): line.split(":", 1)[1].strip() for line in lines[1:] if ":" in line}
    log("\t".join((parts[1] if len(parts) > 1 else "", headers.get("user-agent", ""),
                   str(server_names.pop(id(tls), None)), "%s %s" % (tls.version(), tls.cipher()[0]),
                   tls.selected_alpn_protocol() or "none")))
    target = urllib.parse.urlsplit(parts[1]) if len(parts) == 3 and parts[0] == "GET" else None
    if not target or "host" not in headers:
        return "400 Bad Request", b'{"error":"Invalid request."}', "whole"
    query = urllib.parse.parse_qs(target.query)
    release = re.fullmatch(r"/ws/2/release/([0-9a-f-]{36})", target.path)
    if release:
        found = find_release(release.group(1))
        if not found:
            return "404 Not Found", NOT_FOUND, "whole"
        body = json.dumps(found, ensure_ascii=False, separators=(",", ":")).encode("utf-8")
        if found["id"].endswith("503"):
            return "503 Service Temporarily Unavailable", BUSY, "busy"
        return "200 OK", body, "cut" if found["id"].endswith("c0c0") else "whole"
    match = re.fullmatch(r"/ws/2/discid/([A-Za-z0-9._-]{28})", target.path)
    if not match:
        return "400 Bad Request", b'{"error":"Invalid request."}', "whole"
    disc = match.group(1)
    brief = "recordings" not in query.get("inc", [""])[0].split()
    if disc in MADE:
        body = json.dumps({"id": disc, "releases": MADE[disc]}, separators=(",", ":")).encode("utf-8")
        return "200 OK", without_tracks(body) if brief else body, "whole"
    for suffix, status, way in ((".json", "200 OK", "whole"), (".cut", "200 OK", "cut"),
                                (".503", "503 Service Temporarily Unavailable", "busy")):
        path = os.path.join(REPLIES, disc + suffix)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                body = f.read() if way != "busy" else BUSY
            return status, without_tracks(body) if brief and way != "busy" else body, way
    toc = query.get("toc", [""])[0].split()
    if len(toc) >= 3:
        path = os.path.join(REPLIES, "toc-%s.json" % toc[2])
        if re.fullmatch(r"[0-9]+", toc[2]) and os.path.isfile(path):
            with open(path, "rb") as f:
                body = f.read()
            return "200 OK", without_tracks(body) if brief else body, "whole"
    return "404 Not Found", NOT_FOUND, "whole"


def serve_connection(conn, ctx, log):
    try:
        conn.settimeout(30)
        if ctx == "plain":
            # Whatever came (a TLS client's hello), as a web server without TLS answers it.
            conn.recv(4096)
            body = b"<html><body><h1>400 Bad Request</h1></body></html>\r\n"
            conn.sendall(b"HTTP/1.1 400 Bad Request\r\nContent-Type: text/html\r\nContent-Length: %d\r\n"
                         b"Connection: close\r\n\r\n" % len(body) + body)
            return
        if ctx is None:
            return
        tls = ctx.wrap_socket(conn, server_side=True)
        lines = read_request(tls)
        if lines is None:
            return
        status, body, way = answer(lines, tls, log)
        head = "HTTP/1.1 %s\r\nContent-Type: application/json; charset=utf-8\r\n" % status
        if way == "cut":
            tls.sendall((head + "Connection: close\r\n\r\n").encode() + body[:len(body) // 2])
            return  # closed under the session, as a dropped line would
        tls.sendall((head + "Content-Length: %d\r\nConnection: close\r\n\r\n" % len(body)).encode() + body)
        tls.unwrap()
    except (OSError, ssl.SSLError, ValueError):
        pass
    finally:
        conn.close()


def listener():
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", 0))
    sock.listen(16)
    return sock


def accept(sock, ctx, log):
    while True:
        conn, _ = sock.accept()
        threading.Thread(target=serve_connection, args=(conn, ctx, log), daemon=True).start()


def stop(directory):
    return background_server.stop(directory, "musicbrainz_server.py", ["ports"])


def start(directory):
    os.makedirs(directory, exist_ok=True)
    stop(directory)
    log_path = os.path.join(directory, "requests.log")
    open(log_path, "w").close()
    paths = make_certificates(directory)
    lock = threading.Lock()

    def log(text):
        with lock, open(log_path, "a", encoding="utf-8") as f:
            f.write(text + "\n")

    servers = [(server, context(server, paths[server]), listener())
               for server in ("rsa", "aes128", "ecdsa", "wrongname", "expired", "untrusted", "oldsuites",
                              "clientauth", "emailca", "large")]
    servers.append(("drop", None, listener()))
    servers.append(("plainhttp", "plain", listener()))
    ports = "".join("%s %d\n" % (server, sock.getsockname()[1]) for server, _, sock in servers)
    if not background_server.detach(directory, {"ports": ports}):
        for _, _, sock in servers:
            sock.close()
        return 0
    for _, ctx, sock in servers:
        threading.Thread(target=accept, args=(sock, ctx, log), daemon=True).start()
    threading.Event().wait()
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit("usage: musicbrainz_server.py start|stop DIR")
    sys.exit(start(sys.argv[2]) if sys.argv[1] == "start" else stop(sys.argv[2]))
