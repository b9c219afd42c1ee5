#!/usr/bin/env python3
"""A host of the KPX Wizard IO automation interface written with the Python standard library.

It loads libkpxwizard, creates a wizard and a connection by ProgID, sets the connection's
properties by name, builds its connection string, shows how an automation error reaches the
host, and walks a collection.

    python3 automation_host.py [path/to/libkpxwizard.so]
    python3 automation_host.py --wizard [CONFIG.ini] [path/to/libkpxwizard.so]

With --wizard it opens the wizard window instead (ActivateWizard), with the configuration loaded
when one is given, and prints what ActivateWizard answered; the component loads its windows
(libkpxwizard-ui) from its own folder.

Without a library argument the library is taken from $KPX_LIBRARY, then from the system's
search path.
"""
import ctypes
import os
import sys

VT_EMPTY, VT_I2, VT_I4, VT_BSTR, VT_DISPATCH, VT_BOOL, VT_UNKNOWN = 0, 2, 3, 8, 9, 11, 13
METHOD, PROPERTYGET, PROPERTYPUT, PROPERTYPUTREF = 1, 2, 4, 8
DISP_E_EXCEPTION = -2147352567  # 0x80020009


class _Value(ctypes.Union):
    _fields_ = [("iVal", ctypes.c_int16), ("lVal", ctypes.c_int32), ("boolVal", ctypes.c_int16),
                ("bstrVal", ctypes.c_void_p), ("pdispVal", ctypes.c_void_p)]


class VARIANT(ctypes.Structure):
    _fields_ = [("vt", ctypes.c_uint16), ("reserved1", ctypes.c_uint16),
                ("reserved2", ctypes.c_uint16), ("reserved3", ctypes.c_uint16), ("u", _Value)]


class EXCEPINFO(ctypes.Structure):
    _fields_ = [("scode", ctypes.c_int32), ("source", ctypes.c_void_p),
                ("description", ctypes.c_void_p)]


class AutomationError(Exception):
    def __init__(self, number, source, description):
        super().__init__(description)
        self.number, self.source, self.description = number, source, description


class Component:
    """The library's C functions with their signatures."""

    def __init__(self, path):
        lib = ctypes.CDLL(path)
        vp, i32, u32, u16 = ctypes.c_void_p, ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint16
        signatures = {
            "kpxSysAllocStringUTF8": (vp, [ctypes.c_char_p]),
            "kpxSysFreeString": (None, [vp]),
            "kpxBstrToUTF8": (vp, [vp]),
            "kpxFree": (None, [vp]),
            "kpxVariantClear": (i32, [ctypes.POINTER(VARIANT)]),
            "kpxCreateObject": (i32, [ctypes.c_char_p, ctypes.POINTER(vp)]),
            "kpxAddRef": (u32, [vp]),
            "kpxRelease": (u32, [vp]),
            "kpxGetIDsOfNames": (i32, [vp, ctypes.c_char_p, ctypes.POINTER(i32)]),
            "kpxInvoke": (i32, [vp, i32, u16, u32, ctypes.POINTER(VARIANT),
                                ctypes.POINTER(VARIANT), ctypes.POINTER(EXCEPINFO)]),
            "kpxEnumNext": (i32, [vp, ctypes.POINTER(VARIANT)]),
        }
        for name, (restype, argtypes) in signatures.items():
            function = getattr(lib, name)
            function.restype, function.argtypes = restype, argtypes
        self.lib = lib

    def text(self, bstr):
        """The UTF-8 text of a counted string (which stays the caller's to free)."""
        raw = self.lib.kpxBstrToUTF8(bstr)
        try:
            return ctypes.string_at(raw).decode("utf-8")
        finally:
            self.lib.kpxFree(raw)

    def create(self, prog_id):
        handle = ctypes.c_void_p()
        hr = self.lib.kpxCreateObject(prog_id.encode(), ctypes.byref(handle))
        if hr != 0:
            raise OSError(f"cannot create {prog_id}: 0x{hr & 0xFFFFFFFF:08X}")
        return AutomationObject(self, handle.value)


class AutomationObject:
    """One reference to an object of the component, called by member name."""

    def __init__(self, component, handle):
        self._c, self._handle = component, handle

    def __del__(self):
        if self._handle:
            self._c.lib.kpxRelease(self._handle)

    def _to_variant(self, value, variant):
        if isinstance(value, bool):
            variant.vt, variant.u.boolVal = VT_BOOL, -1 if value else 0
        elif isinstance(value, int):
            variant.vt, variant.u.lVal = VT_I4, value
        elif isinstance(value, str):
            variant.vt, variant.u.bstrVal = VT_BSTR, self._c.lib.kpxSysAllocStringUTF8(value.encode())
        elif isinstance(value, AutomationObject):
            self._c.lib.kpxAddRef(value._handle)
            variant.vt, variant.u.pdispVal = VT_DISPATCH, value._handle
        else:
            raise TypeError(f"cannot pass {value!r}")

    def _from_variant(self, variant):
        vt = variant.vt
        if vt in (VT_DISPATCH, VT_UNKNOWN):
            handle = variant.u.pdispVal
            variant.vt = VT_EMPTY  # the reference now belongs to the Python object
            return AutomationObject(self._c, handle) if handle else None
        if vt == VT_BSTR:
            return self._c.text(variant.u.bstrVal)
        if vt == VT_BOOL:
            return variant.u.boolVal != 0
        if vt == VT_I2:
            return variant.u.iVal
        if vt == VT_I4:
            return variant.u.lVal
        return None

    def invoke(self, name, flags, *args):
        dispid = ctypes.c_int32()
        hr = self._c.lib.kpxGetIDsOfNames(self._handle, name.encode(), ctypes.byref(dispid))
        if hr != 0:
            raise AttributeError(f"{name}: 0x{hr & 0xFFFFFFFF:08X}")
        values = (VARIANT * max(len(args), 1))()
        for value, variant in zip(args, values):
            self._to_variant(value, variant)
        result, excep = VARIANT(), EXCEPINFO()
        hr = self._c.lib.kpxInvoke(self._handle, dispid.value, flags, len(args), values,
                                   ctypes.byref(result), ctypes.byref(excep))
        for variant in values[:len(args)]:
            self._c.lib.kpxVariantClear(ctypes.byref(variant))
        if hr == DISP_E_EXCEPTION:
            error = AutomationError(excep.scode, self._c.text(excep.source),
                                    self._c.text(excep.description))
            self._c.lib.kpxSysFreeString(excep.source)
            self._c.lib.kpxSysFreeString(excep.description)
            raise error
        if hr != 0:
            raise OSError(f"{name}: 0x{hr & 0xFFFFFFFF:08X}")
        value = self._from_variant(result)
        self._c.lib.kpxVariantClear(ctypes.byref(result))
        return value

    def get(self, name, *args):
        return self.invoke(name, METHOD | PROPERTYGET, *args)

    def put(self, name, value):
        flags = PROPERTYPUTREF if isinstance(value, AutomationObject) else PROPERTYPUT
        self.invoke(name, flags, value)

    def call(self, name, *args):
        return self.invoke(name, METHOD | PROPERTYGET, *args)

    def __iter__(self):
        """Walks a collection through its enumerator (dispatch identifier -4)."""
        walker = self.get("NewEnum")
        item = VARIANT()
        while self._c.lib.kpxEnumNext(walker._handle, ctypes.byref(item)) == 0:
            yield self._from_variant(item)


def show_wizard(component, config):
    """Opens the wizard window on a new wizard object, with `config` loaded when given."""
    wizard = component.create("KPXWizardIO.cKPXWizard")
    if config and not wizard.call("LoadFromINIFile", config):
        print(f"Cannot load {config}")
        return 1
    shown = wizard.call("ActivateWizard")
    print("ActivateWizard:", shown)
    wizard.call("CloseWizard")
    return 0 if shown else 1


def main():
    args = sys.argv[1:]
    wizard_mode = "--wizard" in args
    if wizard_mode:
        args.remove("--wizard")
    config = next((a for a in args if a.lower().endswith(".ini")), None) if wizard_mode else None
    libraries = [a for a in args if a != config]
    path = libraries[0] if libraries else os.environ.get("KPX_LIBRARY", "libkpxwizard.so")
    component = Component(path)
    if wizard_mode:
        return show_wizard(component, config)

    wizard = component.create("KPXWizardIO.cKPXWizard")
    connection = component.create("KPXWizardIO.clsConnection")
    connection.put("Provider", 2)
    connection.put("Server", "S1")
    connection.put("Database", "Sales")
    connection.put("User", "U1")
    print(connection.call("CreateConnectionString"))

    transformations = wizard.get("Transformations")
    for name in ("CustomerID", "Name", "City"):
        transformations.call("Add", name)
    try:
        transformations.call("Item", "Country")
    except AutomationError as error:
        print(f"Error {error.number}: {error.description}")

    print("Transformations:", ", ".join(t.get("Name") for t in transformations))
    wizard.call("CloseWizard")
    return 0


if __name__ == "__main__":
    sys.exit(main())
