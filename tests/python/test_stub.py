"""The type stub beside the module describes what the module has."""

import ast
import pathlib

import velto


def _stub():
    path = pathlib.Path(velto.__file__).with_name("__init__.pyi")
    assert path.is_file(), "the stub is not beside the module"
    return ast.parse(path.read_text())


def test_stub_names_every_public_function_class_and_attribute():
    tree = _stub()
    functions = {node.name for node in tree.body if isinstance(node, ast.FunctionDef)}
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    for name in velto.__all__:
        item = getattr(velto, name)
        if isinstance(item, type):
            assert name in classes, name
            stubbed = {n.target.id for n in classes[name].body if isinstance(n, ast.AnnAssign)}
            stubbed |= {n.name for n in classes[name].body if isinstance(n, ast.FunctionDef)}
            public = {a for a in dir(item) if not a.startswith("_")} - set(dir(Exception))
            assert public == stubbed, name
        elif callable(item):
            assert name in functions, name
            # The keyword arguments of the stub are those the module takes.
            stub_args = [a.arg for a in next(n for n in tree.body
                                             if isinstance(n, ast.FunctionDef) and n.name == name).args.args]
            stub_args += [a.arg for a in next(n for n in tree.body
                                              if isinstance(n, ast.FunctionDef) and n.name == name).args.kwonlyargs]
            for arg in stub_args:
                assert f"{arg}:" in item.__doc__ or f"{arg}=" in item.__doc__, (name, arg)


def test_every_public_function_has_a_docstring():
    for name in velto.__all__:
        item = getattr(velto, name)
        if callable(item) and not isinstance(item, type):
            assert item.__doc__ and len(item.__doc__.strip()) > 40, name
