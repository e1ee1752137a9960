"""An SMTP server for the tests, on aiosmtpd's Controller.

Keeps every accepted message byte for byte as msg-<n>.eml in the folder, with its envelope in
msg-<n>.json; notes every authentication attempt in auth.log. Prints READY once it accepts
connections and runs until its standard input is closed.
"""

import argparse
import asyncio
import json
import os
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler:
    def __init__(self, folder, reject_rcpt, delay, reply_delay):
        self.folder = folder
        self.reject_rcpt = reject_rcpt
        self.delay = delay
        self.reply_delay = reply_delay
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.reject_rcpt:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        self.count += 1
        base = os.path.join(self.folder, "msg-%d" % self.count)
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".json", "w") as f:
            json.dump({"mail_from": envelope.mail_from,
                       "rcpt_tos": envelope.rcpt_tos,
                       "authenticated": bool(session.authenticated),
                       "tls": (session.ssl is not None
                               or server.transport.get_extra_info("ssl_object") is not None)}, f)
        # Kept first, answered late: a client that gives up now leaves a delivered message.
        if self.reply_delay:
            await asyncio.sleep(self.reply_delay)
        return "250 2.0.0 Message accepted for delivery"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--reject-rcpt", action="store_true")
    parser.add_argument("--delay", type=float, default=0, help="seconds before a message is accepted")
    parser.add_argument("--reply-delay", type=float, default=0,
                        help="seconds between keeping a message and answering the end of its data")
    parser.add_argument("--implicit-tls", action="store_true", help="TLS from the first byte (SMTPS)")
    args = parser.parse_args()

    def authenticator(server, session, envelope, mechanism, auth_data):
        with open(os.path.join(args.folder, "auth.log"), "a") as f:
            f.write("%s %s\n" % (mechanism, "tls" if session.ssl is not None else "plain"))
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        return AuthResult(success=ok, handled=False)

    params = {}
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
        params["ssl_context" if args.implicit_tls else "tls_context"] = context
    if args.user is not None:
        params["authenticator"] = authenticator
        params["auth_required"] = True
        # Without TLS the server still offers AUTH in clear, so the client's refusal is tested.
        params["auth_require_tls"] = bool(args.cert)

    handler = Handler(args.folder, args.reject_rcpt, args.delay, args.reply_delay)
    controller = Controller(handler, hostname="127.0.0.1", port=args.port, **params)
    controller.start()
    print("READY", flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
