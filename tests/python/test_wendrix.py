"""The module against wendrix-cli: the same records and numbers to the last digit, the
same pictures as its PNG files, the same messages."""
import json
import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import wendrix

CLI = os.environ["WENDRIX_CLI"]

CURVES = {
    "default": {},
    "trefoil": dict(x="sin(t)+2sin(2t)", y="cos(t)-2cos(2t)", z="-sin(3t)"),
    "torus in p, q": dict(x="(2+p cos(3t))cos(2t)", y="(2+p cos(3t))sin(2t)", z="p sin(3t+q)",
                          pmax="2", p=1.0, q=1.5707963267949),
    "wavy circle": dict(x="cos(t)", y="sen(t)", z="0.3 cos(3t)", tmin="-pi", tmax="pi", seed=7),
}


def cli(*arguments):
    return subprocess.run([CLI, *arguments], capture_output=True, text=True)


def cli_draw_arguments(call):
    arguments = ["draw", "--quiet", "--seed", str(call.get("seed", 1))]
    for name, value in call.items():
        if name != "seed":
            arguments += ["--" + name, str(value)]
    return arguments


def png_pixels(path):
    """ImageMagick's reading of a PNG file as H x W x 3 bytes."""
    size = subprocess.run(["identify", "-format", "%h %w", path], capture_output=True, text=True, check=True)
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(*map(int, size.stdout.split()), 3)


def same(actual, expected):
    """Equal to every digit, vectors componentwise; JSON's null stands for an infinity or NaN."""
    expected = [None if v is None else np.longdouble(v) for v in np.ravel(np.asarray(expected, dtype=object))]
    actual = np.ravel(np.asarray(actual))
    assert actual.dtype == np.longdouble
    assert len(actual) == len(expected)
    for a, e in zip(actual, expected):
        assert (e is None and not np.isfinite(a)) or a == e, (a, e)


@pytest.fixture(scope="module", params=list(CURVES))
def drawn(request, tmp_path_factory):
    call = CURVES[request.param]
    folder = tmp_path_factory.mktemp("cli")
    run = cli(*cli_draw_arguments(call), "--json", str(folder / "figure.json"), "--png", str(folder))
    assert run.returncode == 0, run.stderr
    # A refused call first: the state it leaves must not reach the next drawing.
    with pytest.raises(ValueError):
        wendrix.draw(x="")
    return wendrix.draw(**call), json.loads((folder / "figure.json").read_text(), parse_float=str), folder


def test_records_match_the_cli(drawn):
    result, figure, _ = drawn
    assert [result.input[name] for name in "xyz"] == [figure["input"][name] for name in "xyz"]
    for name, value in figure["input"].items():
        if name not in "xyz":
            same(result.input[name], value)
    for group in ("view", "measures"):
        assert getattr(result, group).keys() == figure[group].keys()
        for name, value in figure[group].items():
            same(getattr(result, group)[name], value)
    same(result.chord_scale, figure["curve"]["chord_scale"])
    points = figure["curve"]["points"]
    assert len(result.curve_points) == len(points)
    for field in ("param", "point", "tangent", "torsion"):
        same(result.curve_points[field], [p[field] for p in points])
    records = figure["bitangents"]
    assert len(result.bitangents) == len(records) > 0
    for field in ("on_hull", "starts_branch"):
        assert result.bitangents[field].tolist() == [r[field] for r in records]
    for field in ("s", "t", "point_s", "point_t", "normal"):
        same(result.bitangents[field], [r[field] for r in records])
    assert result.tritangents.shape == (len(figure["tritangents"]), 3)
    same(result.tritangents, figure["tritangents"])


def test_pictures_match_the_cli_png_files(drawn):
    result, _, folder = drawn
    for name in ("hull", "square", "normals"):
        picture = result.pictures[name]
        assert picture.dtype == np.uint8 and picture.ndim == 3
        assert np.array_equal(picture, png_pixels(str(folder / (name + ".png")))), name


def test_mesh_is_the_cli_obj_mesh(tmp_path):
    call = CURVES["trefoil"]
    assert cli(*cli_draw_arguments(call), "--obj", str(tmp_path / "hull.obj")).returncode == 0
    lines = (tmp_path / "hull.obj").read_text().splitlines()
    vertices = np.array([[float(c) for c in line.split()[1:]] for line in lines if line.startswith("v ")])
    faces = [[int(c) - 1 for c in line.split()[1:]] for line in lines if line.startswith("f ")]
    mesh = wendrix.draw(**call).mesh
    assert mesh.faces.dtype == np.int32 and mesh.vertices.dtype == np.longdouble
    # The OBJ file writes 15 significant digits; the faces must be the same triangles.
    assert np.allclose(vertices, mesh.vertices.astype(float), rtol=1e-14, atol=1e-14)
    assert mesh.faces.tolist() == faces


def test_draws_on_several_threads_are_the_draws_one_by_one():
    calls = [CURVES[name] for name in CURVES] * 2
    alone = [wendrix.draw(**call) for call in calls]
    with ThreadPoolExecutor(max_workers=4) as pool:
        together = list(pool.map(lambda call: wendrix.draw(**call), calls))
    for a, b in zip(alone, together):
        assert np.array_equal(a.bitangents, b.bitangents)
        for name in ("hull", "square", "normals"):
            assert np.array_equal(a.pictures[name], b.pictures[name]), name


# Refusals, a drawing that overflows, and hostile texts in the formula fields.
ENDINGS = [dict(x=""), dict(y="sen(2t"), dict(tmin="2 pi", tmax="0"), dict(pmax="five"), dict(p=7.0),
           dict(qmin="1", qmax="0.5", q=0.7), dict(x="(10^300)^40", y="sin(t)", z="cos(t)")] + [
    dict(x=text, z=text) for text in ["\x01", "t" * 100000, "(" * 5000, "1e999999", "sen(1/0)", "9" * 5000]]


@pytest.mark.parametrize("call", ENDINGS)
def test_refusals_and_failures_raise_the_cli_message(call):
    run = cli(*cli_draw_arguments(call))
    if run.returncode == 0:
        assert len(wendrix.draw(**call).curve_points) > 0
        return
    with pytest.raises({1: ValueError, 3: RuntimeError}[run.returncode]) as ending:
        wendrix.draw(**call)
    assert str(ending.value) == run.stderr.strip()
    assert len(wendrix.draw().bitangents) > 0


EVALS = [
    ("2 pi", None, {}),
    ("sen(t)^2 + p", "tp", dict(t="0.1", p="-3")),
    ("x y", None, dict(x=0.5, y="2.25")),
    ("P + Q", "", dict(q="1.5")),
    ("sqrt(2", None, {}),
]


@pytest.mark.parametrize("formula, letters, values", EVALS)
def test_eval_matches_the_cli(formula, letters, values):
    cli_letters = "".join(values) if letters is None and values else letters
    arguments = ["eval"] + (["--vars", cli_letters] if cli_letters is not None else []) + [formula]
    run = cli(*arguments, *(f"{name}={value}" for name, value in values.items()))
    if run.returncode == 0:
        assert wendrix.eval(formula, vars=letters, **values) == np.longdouble(run.stdout.strip())
    else:
        with pytest.raises(ValueError) as refusal:
            wendrix.eval(formula, vars=letters, **values)
        assert str(refusal.value) == run.stderr.strip()


@pytest.mark.parametrize("values", [dict(z=1), dict(t="1e3"), dict(t=[1, 2]), dict(tt=1)])
def test_eval_refuses_what_is_no_variable_or_no_number(values):
    with pytest.raises(ValueError):
        wendrix.eval("t", vars="t", **values)
