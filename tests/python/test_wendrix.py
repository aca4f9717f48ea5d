"""The module against wendrix-cli: the same records and numbers to the last digit, the
same pictures as its PNG files, the same messages."""
import json
import os
import subprocess

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
    height, width = map(int, size.stdout.split())
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(height, width, 3)


def exact(value):
    """A JSON number as the long double it denotes; null (infinity, NaN) stays None."""
    return None if value is None else np.longdouble(value)


def same(actual, expected):
    """Equal to every digit; vectors componentwise."""
    expected = np.array([exact(v) for v in np.ravel(np.asarray(expected, dtype=object))], dtype=object)
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
    for name, value in figure["input"].items():
        if name in "xyz":
            assert result.input[name] == value
        else:
            same(result.input[name], value)
    assert result.view.keys() == figure["view"].keys()
    for name, value in figure["view"].items():
        same(result.view[name], value)
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
    assert result.measures.keys() == figure["measures"].keys()
    for name, value in figure["measures"].items():
        same(result.measures[name], value)


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


REFUSED = [
    dict(x=""),
    dict(y="sen(2t"),
    dict(tmin="2 pi", tmax="0"),
    dict(pmax="five"),
    dict(p=7.0),
    dict(qmin="1", qmax="0.5", q=0.7),
]


@pytest.mark.parametrize("call", REFUSED)
def test_refused_input_raises_value_error_with_the_cli_message(call):
    run = cli(*cli_draw_arguments(call))
    assert run.returncode == 1
    with pytest.raises(ValueError) as refusal:
        wendrix.draw(**call)
    assert str(refusal.value) == run.stderr.strip()


def test_failing_drawing_raises_runtime_error_with_the_cli_message():
    call = dict(x="(10^300)^40", y="sin(t)", z="cos(t)")
    run = cli(*cli_draw_arguments(call))
    assert run.returncode == 3
    with pytest.raises(RuntimeError) as failure:
        wendrix.draw(**call)
    assert str(failure.value) == run.stderr.strip()
    assert len(wendrix.draw().bitangents) > 0


HOSTILE = ["\x01", "t" * 100000, "(" * 5000, "1e999999", "sen(1/0)", "t^t^t^t^t", "9" * 5000]


@pytest.mark.parametrize("text", HOSTILE)
def test_hostile_formulas_end_as_in_the_cli(text):
    call = dict(x=text, z=text)
    status = cli(*cli_draw_arguments(call)).returncode
    expected = {1: ValueError, 3: RuntimeError}.get(status)
    try:
        wendrix.draw(**call)
        assert status == 0
    except (ValueError, RuntimeError) as error:
        assert type(error) is expected


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


def test_eval_keeps_every_digit_of_a_decimal_text():
    assert wendrix.eval("t", t="0.1") == np.longdouble("0.1") != np.longdouble(0.1)


@pytest.mark.parametrize("values", [dict(z=1), dict(t="1e3"), dict(t=[1, 2]), dict(tt=1)])
def test_eval_refuses_what_is_no_variable_or_no_number(values):
    with pytest.raises(ValueError):
        wendrix.eval("t", vars="t", **values)
