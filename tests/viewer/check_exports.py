#!/usr/bin/env python3
"""Runs kova2 on a real matrix, has kovaview write its table, members and pictures without a
window, reads them back with Python's csv module and checks every bicluster's plain r against a
computation of its own.

check_exports.py KOVA2 KOVAVIEW MATRIX GENES SAMPLES THRESHOLD [--samples META]
                 [--expect-pairs N --expect-below N --expect-lowest R] [--pictures]
"""
import argparse
import csv
import math
from fractions import Fraction
import os
import statistics
import subprocess
import sys
import tempfile


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def read_matrix(path):
    rows = {}
    with open(path) as f:
        for line in f:
            fields = line.split()
            if fields:
                rows.setdefault(fields[0], [float(v) for v in fields[1:]])
    return rows


def read_output_file(path):
    with open(path, newline="") as f:
        lines = f.read().split("\r\n")
    biclusters = []
    for i in range(0, len(lines) - 2, 3):
        if not lines[i]:
            break
        samples = [int(s.strip()[len("sample"):]) for s in lines[i + 1].split(",") if s.strip()]
        genes = [g for g in lines[i + 2].split("\t") if g]
        biclusters.append((genes, samples))
    return biclusters


def plain_r(x, y):
    """Two-pass Pearson r with exactly rounded sums; None when a row is constant."""
    if len(set(x)) == 1 or len(set(y)) == 1:
        return None
    mx, my = math.fsum(x) / len(x), math.fsum(y) / len(y)
    sxy = math.fsum((a - mx) * (b - my) for a, b in zip(x, y))
    sxx = math.fsum((a - mx) ** 2 for a in x)
    syy = math.fsum((b - my) ** 2 for b in y)
    return max(-1.0, min(1.0, sxy / math.sqrt(sxx * syy)))


def read_table(path, delimiter, extra=()):
    with open(path, newline="") as f:
        raw = f.read()
    if raw.count("\r\n") != raw.count("\n"):
        fail(f"{path}: not every line ends with CR LF")
    rows = list(csv.reader(raw.splitlines(), delimiter=delimiter))
    header = ["bicluster", "genes", "samples", "size", "min_r", "median_r", "max_r", "gene_names", *extra]
    if rows[0] != header:
        fail(f"{path}: header {rows[0]}")
    return rows[1:]


def read_class_columns(path):
    """The class columns of a .meta file, as raw labels per sample in column order."""
    columns = []
    with open(path) as f:
        for line in f:
            key, _, value = line.partition(":")
            if key.startswith("sample_") and key.endswith("_in_column_order") and key != "sample_ids_in_column_order":
                columns.append(value.split())
    return columns


def upper_tail(drawn_hits, hits, drawn, population):
    """P(X >= drawn_hits), X hypergeometric, as an exact fraction."""
    total = sum(math.comb(hits, k) * math.comb(population - hits, drawn - k)
                for k in range(drawn_hits, min(hits, drawn) + 1))
    return Fraction(total, math.comb(population, drawn))


def best_class_q(columns, samples):
    """The smallest Benjamini-Hochberg q over every column's classes held by `samples` (1-based)."""
    best = None
    for labels in columns:
        annotated = [label for label in labels if label not in ("", "NA")]
        held = [labels[s - 1] for s in samples if labels[s - 1] not in ("", "NA")]
        if not held:
            continue
        levels = sorted(set(annotated))
        ps = [upper_tail(held.count(level), annotated.count(level), len(held), len(annotated)) for level in levels]
        order = sorted(range(len(ps)), key=lambda i: ps[i])
        q, running = {}, Fraction(1)
        for rank in range(len(order), 0, -1):
            i = order[rank - 1]
            running = min(running, ps[i] * len(ps) / rank)
            q[i] = running
        for i, level in enumerate(levels):
            if level in held and (best is None or q[i] < best):
                best = q[i]
    return best


def number(text):
    return None if text == "NA" else float(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kova2")
    parser.add_argument("kovaview")
    parser.add_argument("matrix")
    parser.add_argument("genes")
    parser.add_argument("samples")
    parser.add_argument("threshold", type=float)
    parser.add_argument("--samples", dest="meta")
    parser.add_argument("--expect-pairs", type=int)
    parser.add_argument("--expect-below", type=int)
    parser.add_argument("--expect-lowest", type=float)
    parser.add_argument("--pictures", action="store_true")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        output = os.path.join(work, "result.txt")
        with open(os.path.join(work, "outinfo.txt"), "w", newline="") as f:
            f.write(f"{os.path.abspath(args.matrix)}\r\n{output}\r\n")
        with open(os.path.join(work, "doutinfo.txt"), "w", newline="") as f:
            f.write(f"{args.genes}\r\n{args.samples}\r\n{args.threshold}\r\n")
        engine = subprocess.run([args.kova2], input="1000000\n", text=True, cwd=work, capture_output=True,
                                env=dict(os.environ, HOME=work))
        if engine.returncode != 0:
            fail("kova2: " + engine.stderr)

        run = [output, os.path.abspath(args.matrix), args.genes, args.samples]
        view_env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        def kovaview(*options):
            done = subprocess.run([args.kovaview, *options, *run], cwd=work, capture_output=True, text=True,
                                  env=view_env)
            if done.returncode != 0:
                fail("kovaview " + " ".join(options) + ": " + done.stderr)
            return done
        tsv, csv_path, members = (os.path.join(work, n) for n in ("table.tsv", "table.csv", "members.csv"))
        kovaview("--table", tsv)
        annotation = ["--samples", os.path.abspath(args.meta)] if args.meta else []
        kovaview(*annotation, "--table", csv_path, "--members", members)

        matrix = read_matrix(args.matrix)
        biclusters = read_output_file(output)
        table = read_table(tsv, "\t")
        with_classes = read_table(csv_path, ",", ("best_class", "class_q") if args.meta else ())
        if [row[:8] for row in with_classes] != table:
            fail("the CSV and the TSV table differ")
        if len(table) != len(biclusters):
            fail(f"{len(table)} rows in the table, {len(biclusters)} biclusters in the output file")

        pairs = below = 0
        lowest = math.inf
        for number_, ((genes, samples), row) in enumerate(zip(biclusters, table), start=1):
            expected = [number_, len(genes), len(samples), len(genes) * len(samples)]
            if [int(v) for v in row[:4]] != expected or row[7].split(" ") != genes:
                fail(f"bicluster {number_}: table row {row}")
            rs = []
            for i in range(len(genes)):
                for j in range(i + 1, len(genes)):
                    r = plain_r([matrix[genes[i]][s - 1] for s in samples], [matrix[genes[j]][s - 1] for s in samples])
                    pairs += 1
                    if r is not None:
                        rs.append(r)
                        below += r < args.threshold
                        lowest = min(lowest, r)
            got = [number(v) for v in row[4:7]]
            want = [min(rs), statistics.median(rs), max(rs)] if rs else [None, None, None]
            for g, w in zip(got, want):
                if (g is None) != (w is None) or (g is not None and abs(g - w) > 1e-12):
                    fail(f"bicluster {number_}: plain r {got}, computed here {want}")
        print(f"{len(biclusters)} biclusters, {pairs} gene pairs, {below} with plain r below {args.threshold}, "
              f"lowest {lowest:.4f}")
        if args.meta:
            # The best sample class's q, against exact hypergeometric sums and Benjamini-Hochberg here.
            columns = read_class_columns(args.meta)
            classes_below = 0
            for number_, ((genes, samples), row) in enumerate(zip(biclusters, with_classes), start=1):
                want = best_class_q(columns, samples)
                got = number(row[9])
                if (got is None) != (want is None) or (got is not None and abs(got - float(want)) > 1e-12 * max(float(want), 1e-300)):
                    fail(f"bicluster {number_}: best class q {row[8:]}, computed here {want and float(want)}")
                classes_below += got is not None and got <= 0.05
            print(f"{classes_below} biclusters with a sample class of q <= 0.05")
        if args.expect_pairs is not None and pairs != args.expect_pairs:
            fail(f"expected {args.expect_pairs} pairs")
        if args.expect_below is not None and below != args.expect_below:
            fail(f"expected {args.expect_below} pairs below the threshold")
        if args.expect_lowest is not None and abs(lowest - args.expect_lowest) > 5e-5:
            fail(f"expected the lowest plain r {args.expect_lowest}")

        with open(members, newline="") as f:
            rows = list(csv.reader(f))
        listed = {}
        for row in rows[1:]:
            entry = listed.setdefault(int(row[0]), ([], []))
            (entry[0] if row[1] == "gene" else entry[1]).append(row)
        classes = rows[0][4:]
        for number_, (genes, samples) in enumerate(biclusters, start=1):
            gene_rows, sample_rows = listed.get(number_, ([], []))
            if [r[3] for r in gene_rows] != genes or [int(r[2]) for r in sample_rows] != samples:
                fail(f"members of bicluster {number_} differ from the output file")
            if args.meta and any(len(r) != 4 + len(classes) or not all(r[4:]) for r in sample_rows):
                fail(f"bicluster {number_}: a sample without its classes")
        if args.meta and not classes:
            fail("the members carry no class columns")

        if args.pictures:
            pictures = os.path.join(work, "pictures")
            done = kovaview("--all", pictures, "--cluster", *annotation)
            names = sorted(os.listdir(pictures))
            if len(names) != len(biclusters) or any(not n.endswith(".png") for n in names):
                fail(f"{len(names)} pictures for {len(biclusters)} biclusters")
            for name in names:
                with open(os.path.join(pictures, name), "rb") as f:
                    if f.read(8) != b"\x89PNG\r\n\x1a\n":
                        fail(name + " is not a PNG file")
            if f"picture {len(biclusters)} of {len(biclusters)}" not in done.stderr:
                fail("no progress line: " + done.stderr)
        print("OK")


main()
