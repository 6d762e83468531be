-- One live order with its supplier and client; the same answer as the
-- embedded procedure of this name.
CREATE FUNCTION SP_QBX_CON_PEDIDO_OLT1(in_pedido numeric)
    RETURNS TABLE ("PEDIDO_ID" integer, "num_pedido_externo" text, "Fornecedor_ID" integer, "Fornecedor" text,
                   "Cliente_ID" integer, "Cliente" text) LANGUAGE plpgsql AS $$
DECLARE
    v_pedido integer := Infra_Inteiro(in_pedido);
BEGIN
    RETURN QUERY
    SELECT PEDIDO.PEDIDO_ID, PEDIDO.NUM_PEDIDO_EXTERNO, PEDIDO.FORNECEDOR_ID, VFornecedor.Nome_Fantasia,
           PEDIDO.Cliente_ID, VCliente.Nome_Fantasia
      FROM PEDIDO
      JOIN VFornecedor ON VFornecedor.Fornecedor_ID = PEDIDO.FORNECEDOR_ID
      LEFT JOIN VCliente ON VCliente.Pessoa_ID = PEDIDO.Cliente_ID
     WHERE PEDIDO.PEDIDO_ID = v_pedido AND PEDIDO.TAB_STATUS_ID = 1;
END
$$;
