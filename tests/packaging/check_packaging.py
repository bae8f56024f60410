#!/usr/bin/python3
"""Checks the kit's desktop integration and its Debian package.

  check_packaging.py files --source DIR --bin DIR --version X.Y.Z [--build DIR]
      desktop entries, icons, MIME types and manual pages in the source tree;
      for every program the build produced: --version, and every option its
      --help lists appears in its manual page; with --build, what
      `cmake --install` puts where (into a temporary DESTDIR).
  check_packaging.py deb --source DIR --version X.Y.Z --deb FILE
      the package's fields, its file list, and every unpacked program's
      --version run from a temporary root.

Exit status 0 when everything holds, 1 with the faults listed, 77 when there
is nothing to check (no package built).
"""
import argparse
import concurrent.futures
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

PROGRAMS = ["kelvane", "lmPutw", "snapget", "VantaGatewayServer", "frconv", "orvconv", "gridex", "pictosrc",
            "cantara2mml", "simvane", "lml", "sonix2", "pixtil2", "vconsole", "netclient"]
WINDOW_PROGRAMS = ["kelvane", "lmPutw", "VantaGatewayServer", "orvconv", "simvane", "lml", "sonix2", "pixtil2"]
SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES",
            "SEE ALSO"]

faults = []


def fault(text):
    faults.append(text)
    print("FAULT: " + text, flush=True)


def run(cmd, **kw):
    kw.setdefault("timeout", 60)
    return subprocess.run(cmd, capture_output=True, text=True, errors="replace", **kw)


def program_env(extra_libs=()):
    env = dict(os.environ)
    # Windows must not be needed to answer --help or --version.
    env["QT_QPA_PLATFORM"] = "offscreen"
    env.pop("DISPLAY", None)
    if extra_libs:
        env["LD_LIBRARY_PATH"] = ":".join(list(extra_libs) + [env.get("LD_LIBRARY_PATH", "")]).rstrip(":")
    return env


# Options are the words of a --help text that begin with "-" (or the one
# slash option "/?") at the start of a line or after a blank or bracket.
OPTION = re.compile(r"(?:^|(?<=[\s\[(|,]))(--?[A-Za-z0-9#?][A-Za-z0-9_-]*|/\?)")


def help_options(text):
    return sorted(set(m.group(1) for m in OPTION.finditer(text)))


def render_page(path):
    """The page as a reader sees it, one long line per paragraph, plain hyphens."""
    r = run(["groff", "-man", "-Tutf8", "-P-cbou", "-rLL=1000n", "-rHY=0", path])
    text = r.stdout
    for dash in ("\u2010", "\u2011", "\u2212", "\u2013"):
        text = text.replace(dash, "-")
    return text


def check_page(path):
    name = os.path.basename(path)
    r = run(["groff", "-man", "-ww", "-z", path])
    if r.returncode != 0 or r.stderr.strip():
        fault(f"{name}: groff warns: {r.stderr.strip()}")
    source = open(path, encoding="utf-8").read()
    headings = [h.strip('"') for h in re.findall(r"^\.SH\s+(.+)$", source, re.M)]
    missing = [s for s in SECTIONS if s not in headings]
    if missing:
        fault(f"{name}: sections missing: {', '.join(missing)}")
    if not source.startswith(".TH "):
        fault(f"{name}: does not begin with .TH")


def check_desktop_entry(path, source):
    name = os.path.basename(path)
    if shutil.which("desktop-file-validate"):
        r = run(["desktop-file-validate", path])
        if r.returncode != 0 or r.stdout.strip() or r.stderr.strip():
            fault(f"{name}: desktop-file-validate: {(r.stdout + r.stderr).strip()}")
    keys = dict(re.findall(r"^([A-Za-z\[\]_@-]+)=(.*)$", open(path, encoding="utf-8").read(), re.M))
    program = name[: -len(".desktop")]
    if keys.get("Exec", "").split(" ")[0] != program:
        fault(f"{name}: Exec does not start {program}")
    if "Comment[ja]" not in keys or "Comment" not in keys:
        fault(f"{name}: needs an English and a Japanese comment")
    icon = os.path.join(source, "packaging", "icons", keys.get("Icon", "") + ".svg")
    if not os.path.isfile(icon):
        fault(f"{name}: no icon file {icon}")


def check_mime(source):
    xml = os.path.join(source, "packaging", "mime", "lumora.xml")
    if not shutil.which("update-mime-database"):
        print("note: update-mime-database not installed; MIME types not checked")
        return
    with tempfile.TemporaryDirectory() as tmp:
        packages = os.path.join(tmp, "mime", "packages")
        os.makedirs(packages)
        # Only the kit's own types: the full freedesktop.org database takes
        # seconds to compile and its types do not claim these extensions.
        shutil.copy(xml, packages)
        r = run(["update-mime-database", os.path.join(tmp, "mime")])
        if r.returncode != 0 or "warning" in r.stderr.lower() or "error" in r.stderr.lower():
            fault(f"lumora.xml: update-mime-database: {r.stderr.strip()}")
            return
        if not shutil.which("gio"):
            print("note: gio not installed; MIME recognition not checked")
            return
        samples = {
            "hello.lmp": (b"\x01\x00\x00\x00\x05hello", "application/x-lumora-project"),
            "hello.fx": (b"#!ws" + bytes(124), "application/x-lumora-fx"),
            "entry-without-extension": (b"#!ws" + bytes(124), "application/x-lumora-fx"),
            "title.fr": (bytes(64), "image/x-lumora-fr"),
            "hello.cf": (b"name:hello\r\ninfo:hello\r\n", "text/x-lumora-cf"),
        }
        env = dict(os.environ, XDG_DATA_DIRS=tmp, XDG_DATA_HOME=tmp)
        for file_name, (data, expected) in samples.items():
            path = os.path.join(tmp, file_name)
            with open(path, "wb") as f:
                f.write(data)
            r = run(["gio", "info", "-a", "standard::content-type", path], env=env)
            found = re.search(r"content-type:\s*(\S+)", r.stdout)
            if not found or found.group(1) != expected:
                fault(f"{file_name}: recognised as {found.group(1) if found else r.stderr.strip()}, not {expected}")


def check_program(program, path, page, version, env):
    r = run([path, "--version"], env=env, timeout=30)
    out = r.stdout.strip()
    if r.returncode != 0 or not out.startswith(program) or not out.endswith(version):
        fault(f"{program} --version: status {r.returncode}, printed {out!r}{r.stderr.strip()!r}")
    if page is None:
        return
    r = run([path, "--help"], env=env, timeout=30)
    if r.returncode != 0:
        fault(f"{program} --help: status {r.returncode}")
    text = render_page(page)
    for option in help_options(r.stdout + r.stderr):
        if not re.search(r"(?<![\w-])" + re.escape(option) + r"(?![\w-])", text):
            fault(f"{program}: option {option} of --help is not in its manual page")


def in_parallel(function, items):
    # The checks mostly wait for groff and the programs; two cores keep them busy.
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        list(pool.map(function, items))


def built_programs(bin_dir):
    return [p for p in PROGRAMS if os.access(os.path.join(bin_dir, p), os.X_OK)]


def check_install(build, programs):
    with tempfile.TemporaryDirectory() as root:
        r = run(["cmake", "--install", build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=root), timeout=300)
        if r.returncode != 0:
            fault(f"cmake --install failed: {r.stderr.strip()[-2000:]}")
            return
        check_layout(root, programs)


def check_layout(root, programs):
    """What a Debian user gets: programs on PATH, menu entries, icons, manual pages."""
    usr = os.path.join(root, "usr")
    expected = ["share/mime/packages/lumora.xml", "share/lumora/Lumo.kdb", "share/lumora/pixtil2/format"]
    for p in programs:
        expected += [f"bin/{p}", f"share/man/man1/{p}.1.gz", f"share/icons/hicolor/scalable/apps/lumora-{p}.svg"]
        if p in WINDOW_PROGRAMS:
            expected.append(f"share/applications/{p}.desktop")
    for rel in expected:
        if not os.path.exists(os.path.join(usr, rel)):
            fault(f"not installed: /usr/{rel}")
    bindir = os.path.join(usr, "bin")
    if os.path.isdir(bindir):
        for name in sorted(os.listdir(bindir)):
            if not os.access(os.path.join(bindir, name), os.X_OK):
                fault(f"not a program but in /usr/bin: {name}")
    strays = [d for d in os.listdir(root) if d != "usr"]
    if strays:
        fault(f"installed outside /usr: {strays}")


def files_command(args):
    source = args.source
    pages = os.path.join(source, "docs", "man")
    present = [os.path.join(pages, p + ".1") for p in PROGRAMS if os.path.isfile(os.path.join(pages, p + ".1"))]
    in_parallel(check_page, present)
    for p in PROGRAMS:
        if not os.path.isfile(os.path.join(pages, p + ".1")):
            fault(f"no manual page for {p}")
        if not os.path.isfile(os.path.join(source, "packaging", "icons", f"lumora-{p}.svg")):
            fault(f"no icon for {p}")
    for p in WINDOW_PROGRAMS:
        entry = os.path.join(source, "packaging", "applications", p + ".desktop")
        if not os.path.isfile(entry):
            fault(f"no desktop entry for {p}")
        else:
            check_desktop_entry(entry, source)
    check_mime(source)
    programs = built_programs(args.bin)
    print("programs built: " + " ".join(programs), flush=True)
    def check(p):
        page = os.path.join(pages, p + ".1")
        check_program(p, os.path.join(args.bin, p), page if os.path.isfile(page) else None, args.version,
                      program_env())

    in_parallel(check, programs)
    if args.build:
        check_install(args.build, programs)


def deb_command(args):
    debs = glob.glob(args.deb) if args.deb else []
    if not debs:
        print(f"no package at {args.deb}; `make package` builds one")
        return 77
    deb = sorted(debs)[-1]
    print("package: " + deb, flush=True)
    fields = run(["dpkg-deb", "-f", deb]).stdout
    field = dict(re.findall(r"^([A-Za-z-]+): (.*)$", fields, re.M))
    if field.get("Package") != "lumora-kit":
        fault(f"package name is {field.get('Package')!r}")
    if field.get("Version") != args.version:
        fault(f"package version is {field.get('Version')!r}, the project's is {args.version}")
    depends = field.get("Depends", "")
    for needed in ("libqt6core6", "libqt6widgets6", "libc6", "fonts-ipafont-gothic", "qt6-qpa-plugins"):
        if needed not in depends:
            fault(f"Depends lacks {needed}: {depends}")
    with tempfile.TemporaryDirectory() as tmp:
        control = os.path.join(tmp, "control")
        run(["dpkg-deb", "-e", deb, control])
        # Data only: triggers and shlibs are declarations, not scripts.
        scripts = sorted(set(os.listdir(control)) - {"control", "md5sums", "triggers", "shlibs"})
        if scripts:
            fault(f"maintainer scripts in the package: {scripts}")
        listing = run(["dpkg-deb", "-c", deb]).stdout
        # Fields: mode, owner, size, date, time, path (then "-> target" for links).
        paths = [line.split()[5].lstrip(".") for line in listing.splitlines() if line.strip()]
        outside = [p for p in paths if p not in ("/", "/usr/") and not p.startswith("/usr/")]
        if outside:
            fault(f"files outside /usr: {outside[:5]}")
        root = os.path.join(tmp, "root")
        r = run(["dpkg-deb", "-x", deb, root])
        if r.returncode != 0:
            fault(f"dpkg-deb -x: {r.stderr.strip()}")
            return 1
        programs = built_programs(os.path.join(root, "usr", "bin"))
        print("programs in the package: " + " ".join(programs), flush=True)
        if "kelvane" not in programs:
            fault("kelvane is not in the package")
        check_layout(root, programs)
        # Our own shared libraries, if a program needs one, are in the package too.
        libs = sorted({os.path.dirname(p) for p in glob.glob(os.path.join(root, "usr", "lib", "**", "*.so*"),
                                                                recursive=True) if "/plugins/" not in p})
        in_parallel(lambda p: check_program(p, os.path.join(root, "usr", "bin", p), None, args.version,
                                            program_env(libs)), programs)
    if shutil.which("lintian"):
        r = run(["lintian", "--no-tag-display-limit", deb], timeout=600)
        errors = [line for line in r.stdout.splitlines() if line.startswith("E:")]
        for line in r.stdout.splitlines():
            print("lintian: " + line)
        if errors:
            fault(f"lintian reports {len(errors)} errors")
    else:
        print("note: lintian not installed; package not linted")
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["files", "deb"])
    parser.add_argument("--source", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--bin")
    parser.add_argument("--build")
    parser.add_argument("--deb")
    args = parser.parse_args()
    status = files_command(args) if args.what == "files" else deb_command(args)
    if status is not None:
        return status
    if faults:
        print(f"{len(faults)} faults")
        return 1
    print("all packaging checks hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())
