#!/usr/bin/python
# One Vendrix instance: its record in the data file (`vxcfg add`/`set`), its files, services, boot
# entry, web server blocks and database when `vxcfg verify` finds them drifted, its removal and
# whether it runs. Which fields differ and what drifted is vxcfg's answer, never worked out here.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: instance
short_description: Manage a Vendrix commerce server instance with vxcfg
description:
  - C(present) adds the instance's record (C(vxcfg add)) or changes the fields that differ
    (C(vxcfg set); a check run of it says whether any does), then asks C(vxcfg verify) whether
    the instance's files, services, boot entry and web server blocks are what the record gives;
    when they drifted it runs C(vxcfg create), C(vxcfg webconf) and C(vxcfg createdb).
  - C(absent) takes the instance off the machine and out of the data file (C(vxcfg delete)).
  - C(started) and C(stopped) start or stop the instance when C(vxcfg status) says it is not
    already so.
  - Passwords and the merchant key are handed to vxcfg on standard input, never on its command
    line.
  - Supports check mode and diff mode (the unified diffs vxcfg gives, passwords masked).
version_added: "1.0.0"
options:
  name:
    description: Name of the instance.
    type: str
    required: true
  state:
    description: What the instance should be.
    type: str
    choices: [present, absent, started, stopped]
    default: present
  rootpath:
    description: The instance's root directory (C(--rootpath)).
    type: path
  htmlpath:
    description: Directory of its HTML files (C(--htmlpath)).
    type: path
  logpath:
    description: Log directory (C(--logpath)).
    type: path
  cachepath:
    description: Cache directory (C(--cachepath)).
    type: path
  macropath:
    description: Macro directory (C(--macropath)).
    type: path
  defsdir:
    description: Definitions directory (C(--defsdir)).
    type: path
  docroot:
    description: The web server's document root for the instance (C(--docroot)).
    type: path
  cgi:
    description: CGI directory (C(--cgi)).
    type: path
  webserver:
    description: Web server, C(wharf), C(netscape) or C(brindle) (C(--webserver)).
    type: str
  nes_secure:
    description: Directory holding the secure server's obj.conf (C(--nes-secure)).
    type: path
  nes_nonsecure:
    description: Directory holding the non-secure server's obj.conf (C(--nes-nonsecure)).
    type: path
  host:
    description: Host name of the instance (C(--host)).
    type: str
  ip:
    description: IP address (C(--ip)).
    type: str
  port:
    description: First port of the instance's block (C(--port)).
    type: int
  procs:
    description: Number of server processes (C(--procs)).
    type: int
  dbtype:
    description: Database type, C(relda) or C(oracle) (C(--dbtype)).
    type: str
  db:
    description: Database name (C(--db)).
    type: str
  dbuser:
    description: Database user (C(--dbuser)).
    type: str
  dbowner:
    description: Database owner, an existing system user (C(--dbowner)).
    type: str
  dbpass:
    description: Database owner's password (C(--dbpass)); given to vxcfg on standard input.
    type: str
  dbhost:
    description: Database host (C(--dbhost)).
    type: str
  dbnode:
    description: Database node (C(--dbnode)).
    type: str
  dbservice:
    description: Database service (C(--dbservice)).
    type: str
  pvhost:
    description: Payment server host (C(--pvhost)).
    type: str
  adminpass:
    description: Administration password (C(--adminpass)); given to vxcfg on standard input.
    type: str
  merchant_key:
    description: Merchant key, 16 hexadecimal digits or empty for none (C(--merchant-key));
      given to vxcfg on standard input.
    type: str
  pvcycle:
    description: Payment cycle in seconds (C(--pvcycle)).
    type: int
  pvintvl:
    description: Payment interval in seconds (C(--pvintvl)).
    type: int
  pvtmout:
    description: Payment time-out in seconds (C(--pvtmout)).
    type: int
  maxcache:
    description: Maximum number of cached files (C(--maxcache)).
    type: int
notes:
  - Values are checked by vxcfg; a refused value fails the task with vxcfg's reason.
  - C(webconf) and C(createdb) act on every instance of the data file.
extends_documentation_fragment:
  - vendrix.vxconfig.vxcfg
author:
  - vxconfig developers
'''

EXAMPLES = r'''
- name: An instance, configured and with its database
  vendrix.vxconfig.instance:
    name: shop1
    host: shop1.example.com
    dbuser: reldinst
    dbpass: "{{ vault_shop1_dbpass }}"

- name: Started
  vendrix.vxconfig.instance:
    name: shop1
    state: started

- name: Gone from the machine
  vendrix.vxconfig.instance:
    name: shop2
    state: absent
'''

RETURN = r'''
verify:
  description: What C(vxcfg verify) reported for the instance (C(instance), C(in_sync),
    C(files), C(services), C(boot)), before any repair.
  returned: when state is present and the record existed or was written
  type: dict
status:
  description: What C(vxcfg status) reported (C(name), C(daemon), C(state), C(reason), C(exit)).
  returned: when state is started or stopped
  type: dict
vxcfg:
  description: The JSON reports of the vxcfg runs, in order.
  returned: always
  type: list
  elements: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vendrix.vxconfig.plugins.module_utils.vxcfg import (
    COMMON_ARGS, EXIT_CHANGE, EXIT_OK, Vxcfg, VxcfgError, fail, finish, would_change)

# The options of `vxcfg add` and `set`, in the order of `vxcfg --help` (the order in which vxcfg
# reads secrets from standard input): parameter, type, whether it is a secret.
RECORD_OPTIONS = [
    ('rootpath', 'path', False), ('htmlpath', 'path', False), ('logpath', 'path', False),
    ('cachepath', 'path', False), ('macropath', 'path', False), ('defsdir', 'path', False),
    ('docroot', 'path', False), ('cgi', 'path', False), ('webserver', 'str', False),
    ('nes_secure', 'path', False), ('nes_nonsecure', 'path', False), ('host', 'str', False),
    ('ip', 'str', False), ('port', 'int', False), ('procs', 'int', False),
    ('dbtype', 'str', False), ('db', 'str', False), ('dbuser', 'str', False),
    ('dbowner', 'str', False), ('dbpass', 'str', True), ('dbhost', 'str', False),
    ('dbnode', 'str', False), ('dbservice', 'str', False), ('pvhost', 'str', False),
    ('adminpass', 'str', True), ('merchant_key', 'str', True), ('pvcycle', 'int', False),
    ('pvintvl', 'int', False), ('pvtmout', 'int', False), ('maxcache', 'int', False),
]
STDIN_VALUE = '-'
RUNNING = 'running'


def record_arguments(params):
    """The record options given, and the secrets to write to standard input in their order."""
    options, secrets = [], []
    for name, _, secret in RECORD_OPTIONS:
        value = params[name]
        if value is None:
            continue
        options.append('--' + name.replace('_', '-'))
        if secret:
            options.append(STDIN_VALUE)
            secrets.append(value)
        else:
            options.append(str(value))
    return options, secrets


def present(module, vx, name):
    reports = []
    options, secrets = record_arguments(module.params)
    exists = name in vx.names()
    planned = vx.run('set' if exists else 'add', [name], options, secrets, check=True,
                     diff=module._diff) if (options or not exists) else None
    reports.append(planned)
    record_changes = planned is not None and would_change(planned)
    if record_changes and module.check_mode:
        # The files follow a record that is not written in a check run: they would change too.
        finish(module, True, reports)
    if record_changes:
        reports.append(vx.run('set' if exists else 'add', [name], options, secrets))
    checked = vx.run('verify', [name], diff=module._diff)
    reports.append(checked)
    state = checked['data'][0] if checked.get('data') else {}
    drifted = checked.get('exit') == EXIT_CHANGE
    if checked.get('exit') not in (EXIT_OK, EXIT_CHANGE):
        raise VxcfgError('verify %s: exit %s' % (name, checked.get('exit')), checked)
    if drifted and not module.check_mode:
        reports.append(vx.run('create', [name]))
        reports.append(vx.run('webconf'))
        reports.append(vx.run('createdb'))
    finish(module, record_changes or drifted, reports, verify=state)


def absent(module, vx, name):
    if name not in vx.names():
        finish(module, False, [])
    planned = vx.run('delete', [name], ['--yes'], check=True, diff=module._diff)
    done = None if module.check_mode else vx.run('delete', [name], ['--yes'])
    finish(module, True, [planned, done])


def running(module, vx, name, wanted):
    if module.check_mode and name not in vx.names():
        # An earlier task of a check run would have added it; it would then be started.
        finish(module, wanted, [])
    report = vx.run('status', [name])
    status = report['data'][0] if report.get('data') else {}
    if (status.get('state') == RUNNING) == wanted:
        finish(module, False, [report], status=status)
    command = 'start' if wanted else 'stop'
    done = None if module.check_mode else vx.run(command, [name])
    finish(module, True, [report, done], status=status)


def main():
    arguments = dict(COMMON_ARGS)
    arguments.update(name=dict(type='str', required=True),
                state=dict(type='str', default='present',
                           choices=['present', 'absent', 'started', 'stopped']))
    for option, kind, secret in RECORD_OPTIONS:
        arguments[option] = dict(type=kind, no_log=True) if secret else dict(type=kind)
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True)
    vx = Vxcfg(module)
    name, state = module.params['name'], module.params['state']
    try:
        if state == 'present':
            present(module, vx, name)
        elif state == 'absent':
            absent(module, vx, name)
        else:
            running(module, vx, name, state == 'started')
    except VxcfgError as error:
        fail(module, error)


if __name__ == '__main__':
    main()
