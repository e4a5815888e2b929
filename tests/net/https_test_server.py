#!/usr/bin/env python3
"""HTTPS servers on 127.0.0.1 for the HTTPS client's tests. Usage: https_test_server.py FOLDER

Makes a throw-away authority (FOLDER/ca.pem) with openssl and two servers, one with a certificate
for 127.0.0.1 and one for another host; prints "<pid> <port> <other port>"; serves until killed
or orphaned."""
import http.server, os, ssl, subprocess, sys, threading, time

FEED = b'{"version":"2.0","build":121,"url":"https://example.test/Tidyframe.dmg"}'
EC = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2"]


def certificate(folder, name, extensions, *signing):
    path = os.path.join(folder, name)
    with open(path + ".cnf", "w") as config:
        config.write("[req]\ndistinguished_name=dn\nprompt=no\nx509_extensions=ext\n[dn]\nCN=%s\n[ext]\n%s\n"
                     % (name, extensions))
    subprocess.run(["openssl", "req", "-x509", "-config", path + ".cnf", *EC, "-keyout", path + ".key",
                    "-out", path + ".pem", *signing], check=True, capture_output=True)
    return path + ".pem", path + ".key"


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        here = "127.0.0.1:%d/feed.json" % self.server.server_address[1]
        answers = {"/feed.json": (200, FEED, {}), "/missing": (404, b"not here", {}),
                   "/agent": (200, self.headers.get("User-Agent", "").encode(), {}),
                   "/to-plain": (302, b"", {"Location": "http://" + here}),
                   "/to-secure": (302, b"", {"Location": "https://" + here})}
        if self.path == "/silent":
            time.sleep(120)
        elif self.path == "/large":  # no length announced: only the client's own count stops it
            self.send_response(200)
            self.end_headers()
            self.wfile.write(b"x" * ((1 << 20) + 1))
        else:
            status, body, headers = answers[self.path]
            self.send_response(status)
            for header in {"Content-Length": str(len(body)), **headers}.items():
                self.send_header(*header)
            self.end_headers()
            self.wfile.write(body)

    def log_message(self, *arguments):
        pass


def serve(pem):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads, server.handle_error = True, lambda *arguments: None
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*pem)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


folder, parent = sys.argv[1], os.getppid()
ca = certificate(folder, "ca", "basicConstraints=critical,CA:true\nkeyUsage=critical,keyCertSign")
leaf = "basicConstraints=CA:false\nextendedKeyUsage=serverAuth\nsubjectAltName="
ports = [serve(certificate(folder, name, leaf + alt, "-CA", ca[0], "-CAkey", ca[1]))
         for name, alt in (("local", "IP:127.0.0.1"), ("other", "DNS:other.invalid"))]
print(os.getpid(), *ports, flush=True)
while os.getppid() == parent:
    time.sleep(0.2)
