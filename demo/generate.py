#!/usr/bin/env python3
"""Writes the demo game's record files (invented units and weapons) into demo/data/.

The output is committed; run this again only to change the demo. It is
deterministic: the same seed gives the same files.
"""
import os
import random
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "data")
rng = random.Random(1207)

SIDES = [("VRD", "Verdant"), ("CND", "Cinder")]
ROLES = [
    ("moth", "Moth", "Light Scout", 0, 1), ("beetle", "Beetle", "Assault Walker", 1, 0),
    ("heron", "Heron", "Patrol Flyer", 0, 1), ("mole", "Mole", "Tunnel Engineer", 1, 0),
    ("wasp", "Wasp", "Strike Flyer", 0, 1), ("tortoise", "Tortoise", "Siege Crawler", 2, 0),
    ("otter", "Otter", "Amphibious Raider", 1, 0), ("lynx", "Lynx", "Fast Attack Rover", 1, 0),
    ("owl", "Owl", "Radar Flyer", 0, 1), ("ram", "Ram", "Heavy Breaker", 2, 0),
    ("gecko", "Gecko", "Climbing Sniper", 1, 0), ("stork", "Stork", "Cargo Lifter", 0, 1),
    ("bison", "Bison", "Battle Tank", 2, 0), ("newt", "Newt", "Hover Skirmisher", 1, 0),
    ("kite", "Kite", "Glider Bomber", 0, 1), ("badger", "Badger", "Bunker Buster", 2, 0),
]
MARKS = ["", "2", "3", "x", "mk4", "prime"]


def unit_text(code, side_name, role, mark, idx, weapons):
    key, name, desc, tier, flies = role
    unit = f"{code}{key}{mark}"
    cost = round(rng.uniform(40, 400) * (tier + 1), 1)
    energy = rng.randint(200, 6000) * (tier + 1)
    lines = [f"[{unit.upper()}]", "\t{"]
    # Keys come in the mixed case the game's own files use.
    fields = [
        ("UnitName", unit), ("Name", f"{name} {mark.upper()}".strip()), ("Side", side_name.upper()),
        ("Description", desc), ("BuildCostMetal", f"{cost}"), ("BuildCostEnergy", f"{energy}"),
        ("BuildTime", f"{rng.randint(800, 30000)}"), ("MaxDamage", f"{rng.randint(90, 9000)}"),
        ("maxvelocity", f"{rng.uniform(0.5, 9.0):.3f}"), ("SightDistance", f"{rng.randint(150, 900)}"),
        ("TechLevel", f"{tier + (1 if mark in ('mk4', 'prime') else 0)}"),
        ("ThreatLevel", f"{rng.uniform(-0.4, 4.4):.2f}"),
        ("canfly", "1" if flies else "0"), ("CanHover", "1" if key in ("newt", "otter") else "0"),
        ("Amphibious", "1" if key in ("otter", "mole", "tortoise") else "0"),
        ("Stealth", "1" if rng.random() < 0.15 else "0"), ("Weapon1", weapons[idx % len(weapons)]),
    ]
    if rng.random() < 0.4:
        fields.append(("Weapon2", weapons[(idx * 7 + 3) % len(weapons)]))
    if rng.random() < 0.3:
        fields.append(("SelfDestructAs", "BLAST_" + rng.choice(["SMALL", "MEDIUM", "LARGE"])))
    if rng.random() < 0.2:
        fields.append(("Copyright", "Demo content, free to use"))
    for k, v in fields:
        lines.append(f"\t{k}={v};")
    if rng.random() < 0.25:
        lines += ["\t// hover tuning is read by the game only for hover units",
                  "\t[Sounds]", "\t\t{", f"\t\tselect1=click{rng.randint(1, 9)};",
                  "\t\tok1=ack;", "\t\t}"]
    lines.append("\t}")
    return unit, "\r\n".join(lines) + "\r\n"


def weapon_block(name, rng_):
    lines = [f"[{name}]", "{", f"\tname={name.title().replace('_', ' ')};",
             f"\trange={rng_.randint(100, 1400)};", f"\treloadtime={rng_.uniform(0.2, 9):.2f};",
             f"\tvelocity={rng_.randint(100, 900)};", f"\tareaofeffect={rng_.randint(0, 240)};",
             f"\tenergypershot={rng_.randint(0, 400)};", f"\tturret={rng_.randint(0, 1)};",
             f"\tlineofsight={rng_.randint(0, 1)};", "\t[DAMAGE]", "\t{",
             f"\t\tdefault={rng_.randint(5, 900)};", f"\t\tarmored={rng_.randint(1, 300)};", "\t}", "}"]
    return "\r\n".join(lines) + "\r\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="") as f:
        f.write(text)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    families = ["LASER", "ROCKET", "CANNON", "SPORE", "FLAME", "ARC", "MORTAR", "TORPEDO"]
    weapons = []
    archives = ["rev31", "expansion.ccx", "fanpack.ufo", "community.hpi"]
    # Weapons: several blocks per file, the way the game groups them.
    for a_i, arch in enumerate(archives):
        for f_i, fam in enumerate(families[a_i * 2:a_i * 2 + 2] + ([families[7 - a_i]] if a_i < 2 else [])):
            blocks = []
            for n in range(1, rng.randint(5, 9)):
                w = f"{SIDES[n % 2][0]}_{fam}{n}"
                weapons.append(w)
                blocks.append(weapon_block(w, rng))
            fname = f"{fam.lower()}s.tdf" if f_i % 2 == 0 else f"{fam}S.TDF"
            write(os.path.join(OUT, arch, "weapons", fname), "// invented weapons\r\n\r\n" + "\r\n".join(blocks))
    # Units: one record per file; the archives share the roles between them.
    idx = 0
    for a_i, arch in enumerate(archives):
        for code, side_name in SIDES:
            for r_i, role in enumerate(ROLES):
                for m_i, mark in enumerate(MARKS):
                    if (r_i + m_i + a_i) % 4 != 0 and a_i > 0:
                        continue
                    if a_i == 0 and (r_i + m_i) % 3 == 2:
                        continue
                    unit, text = unit_text(code.lower(), side_name, role, mark + ("" if a_i == 0 else str(a_i)), idx, weapons)
                    idx += 1
                    fname = unit + ".fbi"
                    if idx % 5 == 0:
                        fname = fname.upper()
                    folder = "units" if idx % 7 else "UNITS"
                    write(os.path.join(OUT, arch, folder, fname), text)
    # The expansion ships its own copy of a base unit: the base archive is read
    # first, so the base copy is the one the table shows.
    _, text = unit_text("vrd", "Verdant", ROLES[0], "", 0, ["EXPANSION_ONLY_WEAPON"])
    write(os.path.join(OUT, "expansion.ccx", "units", "VRDMOTH.FBI"), text.replace("Light Scout", "Light Scout (expansion copy)"))
    print(idx, "units,", len(weapons), "weapons")


if __name__ == "__main__":
    main()
